// Dolphin and the Plasma desktop learn nothing from a drag but call back the
// source over the session bus with the folder it was dropped on
// (org.kde.ark.DndExtract.extractSelectedFilesTo). This exports that object
// for one drag at a time.
#pragma once

#include "shared/error.h"

#include <functional>
#include <optional>
#include <string>

namespace quillet::platform {

class DBusDropFolderService {
public:
    using Handler = std::function<void(const std::string& folder)>;

    // The two values a drag carries so that the target can call back.
    struct Address {
        std::string busName;    // application/x-kde-ark-dndextract-service
        std::string objectPath; // application/x-kde-ark-dndextract-path
    };

    DBusDropFolderService();
    ~DBusDropFolderService();
    DBusDropFolderService(const DBusDropFolderService&) = delete;
    DBusDropFolderService& operator=(const DBusDropFolderService&) = delete;

    // Exports a fresh object for the next drag, replacing the previous one
    // (whose drop, if any, has been told by then). An error without a bus.
    [[nodiscard]] Expected<Address> exportForDrag(Handler handler);

    static constexpr const char* kServiceFormat = "application/x-kde-ark-dndextract-service";
    static constexpr const char* kPathFormat = "application/x-kde-ark-dndextract-path";

private:
    struct Impl;
    Impl* impl_;
};

} // namespace quillet::platform
