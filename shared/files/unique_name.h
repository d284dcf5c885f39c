// The unique-name rule: a new item never takes a name that something already
// has; it gets the first free one of "<base>-1.<ext>", "<base>-2.<ext>", ...
#pragma once

#include "shared/error.h"

#include <cstdint>
#include <string>

namespace quillet {

// Candidate n for the wanted path: n = 0 is the wanted path itself, then
// "<base>-<n>.<ext>" (or "<base>-<n>" without an extension). Only the last
// extension counts ("archive.tar-1.gz"), a leading dot is none (".bashrc-1"),
// and numbers already in the name are not parsed ("Note-1-1.txt").
std::string uniqueNameCandidate(const std::string& wantedPath, std::uint64_t n);

// The first candidate that nothing has at the moment of asking. Only a name
// to offer: creating the item must still refuse to replace one made since.
Expected<std::string> firstFreeName(const std::string& wantedPath);

} // namespace quillet
