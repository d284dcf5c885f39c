#include "harness_file_info.h"

#include "module_driver.h"

namespace quillet::test {

namespace {

struct HarnessFileInfo {
    GObject parent;
    GFile* location;
    // -1: ask the file system; else what the file manager already knows.
    int isDirectory;
};

struct HarnessFileInfoClass {
    GObjectClass parent;
};

HarnessFileInfo* self(gpointer info) {
    return static_cast<HarnessFileInfo*>(info);
}

void finalize(GObject* object) {
    g_clear_object(&self(object)->location);
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void classInit(gpointer klass, gpointer) {
    G_OBJECT_CLASS(klass)->finalize = finalize;
}

GType harnessFileInfoType() {
    static GType type = [] {
        GType t = g_type_register_static_simple(G_TYPE_OBJECT, "HarnessFileInfo",
                                                sizeof(HarnessFileInfoClass), classInit,
                                                sizeof(HarnessFileInfo), nullptr, GTypeFlags(0));
        static const GInterfaceInfo info = {driver::initFileInfoInterface, nullptr, nullptr};
        g_type_add_interface_static(t, driver::fileInfoInterface(), &info);
        return t;
    }();
    return type;
}

GObject* newFileInfo(GFile* location, int isDirectory = -1) {
    auto* info = self(g_object_new(harnessFileInfoType(), nullptr));
    info->location = location;
    info->isDirectory = isDirectory;
    return G_OBJECT(info);
}

} // namespace

namespace file_info {

GFile* location(gpointer info) {
    return self(info)->location;
}

GFileType fileType(gpointer info) {
    return g_file_query_file_type(location(info), G_FILE_QUERY_INFO_NONE, nullptr);
}

gboolean isDirectory(gpointer info) {
    int known = self(info)->isDirectory;
    return known >= 0 ? known : fileType(info) == G_FILE_TYPE_DIRECTORY;
}

char* mimeType(gpointer info) {
    return g_strdup(isDirectory(info) ? "inode/directory" : "application/octet-stream");
}

char* parentUri(gpointer info) {
    GFile* parent = g_file_get_parent(location(info));
    if (parent == nullptr) {
        return nullptr;
    }
    char* uri = g_file_get_uri(parent);
    g_object_unref(parent);
    return uri;
}

} // namespace file_info

GObject* newFileInfoForPath(const std::string& path) {
    return newFileInfo(g_file_new_for_path(path.c_str()));
}

GObject* newFileInfoForPath(const std::string& path, bool isDirectory) {
    return newFileInfo(g_file_new_for_path(path.c_str()), isDirectory ? 1 : 0);
}

GObject* newFileInfoForUri(const std::string& uri, bool isDirectory) {
    return newFileInfo(g_file_new_for_uri(uri.c_str()), isDirectory ? 1 : 0);
}

} // namespace quillet::test
