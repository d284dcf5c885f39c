#include "harness_file_info.h"

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

GFile* locationOf(NautilusFileInfo* info) {
    return reinterpret_cast<HarnessFileInfo*>(info)->location;
}

GFileType fileType(NautilusFileInfo* info) {
    return g_file_query_file_type(locationOf(info), G_FILE_QUERY_INFO_NONE, nullptr);
}

gboolean isGone(NautilusFileInfo* info) {
    return fileType(info) == G_FILE_TYPE_UNKNOWN;
}
char* getName(NautilusFileInfo* info) {
    return g_file_get_basename(locationOf(info));
}
char* getUri(NautilusFileInfo* info) {
    return g_file_get_uri(locationOf(info));
}
char* getUriScheme(NautilusFileInfo* info) {
    return g_file_get_uri_scheme(locationOf(info));
}
char* getActivationUri(NautilusFileInfo* info) {
    return getUri(info);
}
GFile* getLocation(NautilusFileInfo* info) {
    return G_FILE(g_object_ref(locationOf(info)));
}
GFile* getParentLocation(NautilusFileInfo* info) {
    return g_file_get_parent(locationOf(info));
}
char* getParentUri(NautilusFileInfo* info) {
    GFile* parent = g_file_get_parent(locationOf(info));
    if (parent == nullptr) {
        return nullptr;
    }
    char* uri = g_file_get_uri(parent);
    g_object_unref(parent);
    return uri;
}
NautilusFileInfo* getParentInfo(NautilusFileInfo*) {
    return nullptr;
}
GMount* getMount(NautilusFileInfo*) {
    return nullptr;
}
char* getMimeType(NautilusFileInfo* info) {
    return g_strdup(fileType(info) == G_FILE_TYPE_DIRECTORY ? "inode/directory"
                                                            : "application/octet-stream");
}
gboolean isMimeType(NautilusFileInfo* info, const char* type) {
    char* own = getMimeType(info);
    gboolean same = g_content_type_is_a(own, type);
    g_free(own);
    return same;
}
gboolean isDirectory(NautilusFileInfo* info) {
    int known = reinterpret_cast<HarnessFileInfo*>(info)->isDirectory;
    return known >= 0 ? known : fileType(info) == G_FILE_TYPE_DIRECTORY;
}
GFileType getFileType(NautilusFileInfo* info) {
    return fileType(info);
}
gboolean canWrite(NautilusFileInfo*) {
    return TRUE;
}
void addEmblem(NautilusFileInfo*, const char*) {}
char* getStringAttribute(NautilusFileInfo*, const char*) {
    return nullptr;
}
void addStringAttribute(NautilusFileInfo*, const char*, const char*) {}
void invalidateExtensionInfo(NautilusFileInfo*) {}

void interfaceInit(gpointer iface, gpointer) {
    auto* file = static_cast<NautilusFileInfoInterface*>(iface);
    file->is_gone = isGone;
    file->get_name = getName;
    file->get_uri = getUri;
    file->get_parent_uri = getParentUri;
    file->get_uri_scheme = getUriScheme;
    file->get_mime_type = getMimeType;
    file->is_mime_type = isMimeType;
    file->is_directory = isDirectory;
    file->add_emblem = addEmblem;
    file->get_string_attribute = getStringAttribute;
    file->add_string_attribute = addStringAttribute;
    file->invalidate_extension_info = invalidateExtensionInfo;
    file->get_activation_uri = getActivationUri;
    file->get_file_type = getFileType;
    file->get_location = getLocation;
    file->get_parent_location = getParentLocation;
    file->get_parent_info = getParentInfo;
    file->get_mount = getMount;
    file->can_write = canWrite;
}

void finalize(GObject* object) {
    g_clear_object(&reinterpret_cast<HarnessFileInfo*>(object)->location);
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
        static const GInterfaceInfo info = {interfaceInit, nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &info);
        return t;
    }();
    return type;
}

NautilusFileInfo* newFileInfo(GFile* location, int isDirectory = -1) {
    auto* info = static_cast<HarnessFileInfo*>(g_object_new(harnessFileInfoType(), nullptr));
    info->location = location;
    info->isDirectory = isDirectory;
    return NAUTILUS_FILE_INFO(info);
}

} // namespace

NautilusFileInfo* newFileInfoForPath(const std::string& path) {
    return newFileInfo(g_file_new_for_path(path.c_str()));
}

NautilusFileInfo* newFileInfoForPath(const std::string& path, bool isDirectory) {
    return newFileInfo(g_file_new_for_path(path.c_str()), isDirectory ? 1 : 0);
}

NautilusFileInfo* newFileInfoForUri(const std::string& uri) {
    return newFileInfo(g_file_new_for_uri(uri.c_str()));
}

} // namespace quillet::test
