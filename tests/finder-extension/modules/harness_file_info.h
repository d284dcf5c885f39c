// A file as the file manager describes it to extensions: a GObject that
// implements the file manager's FileInfo interface (the driver's, see
// module_driver.h) over a real location.
#pragma once

#include <gio/gio.h>

#include <string>

namespace quillet::test {

// New references. Whether the item is a folder is read from the file system,
// as the file manager would have it.
GObject* newFileInfoForPath(const std::string& path);
// The file manager's own knowledge of the item, as it has it for an item on a
// mount that no longer answers: the file system is never asked.
GObject* newFileInfoForPath(const std::string& path, bool isDirectory);
// Any URI, for locations that are not local files, with the file manager's
// word on whether it is a folder.
GObject* newFileInfoForUri(const std::string& uri, bool isDirectory);

// What every file manager's FileInfo answers alike, from the item's location.
namespace file_info {
GFile* location(gpointer info); // borrowed
GFileType fileType(gpointer info);
gboolean isDirectory(gpointer info);
char* mimeType(gpointer info);
char* parentUri(gpointer info);
} // namespace file_info

// Nautilus, Nemo and Caja share one FileInfo interface but for its names.
template <class Iface, class Info> void fillFileInfoInterface(Iface* iface) {
    using namespace file_info;
    iface->is_gone = [](Info* i) -> gboolean { return fileType(i) == G_FILE_TYPE_UNKNOWN; };
    iface->get_name = [](Info* i) { return g_file_get_basename(location(i)); };
    iface->get_uri = [](Info* i) { return g_file_get_uri(location(i)); };
    iface->get_parent_uri = [](Info* i) { return parentUri(i); };
    iface->get_uri_scheme = [](Info* i) { return g_file_get_uri_scheme(location(i)); };
    iface->get_mime_type = [](Info* i) { return mimeType(i); };
    iface->is_mime_type = [](Info* i, const char* type) -> gboolean {
        char* own = mimeType(i);
        gboolean same = g_content_type_is_a(own, type);
        g_free(own);
        return same;
    };
    iface->is_directory = [](Info* i) { return isDirectory(i); };
    iface->add_emblem = [](Info*, const char*) {};
    iface->get_string_attribute = [](Info*, const char*) -> char* { return nullptr; };
    iface->add_string_attribute = [](Info*, const char*, const char*) {};
    iface->invalidate_extension_info = [](Info*) {};
    iface->get_activation_uri = [](Info* i) { return g_file_get_uri(location(i)); };
    iface->get_file_type = [](Info* i) { return fileType(i); };
    iface->get_location = [](Info* i) { return G_FILE(g_object_ref(location(i))); };
    iface->get_parent_location = [](Info* i) { return g_file_get_parent(location(i)); };
    iface->get_parent_info = [](Info*) -> Info* { return nullptr; };
    iface->get_mount = [](Info*) -> GMount* { return nullptr; };
    iface->can_write = [](Info*) -> gboolean { return TRUE; };
}

} // namespace quillet::test
