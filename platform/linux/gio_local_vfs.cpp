#include "platform/linux/gio_local_vfs.h"

#include <gio/gio.h>

namespace quillet::platform {

namespace {

// Sets an environment variable for the duration of one call, unless the user
// set it already.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : name_(name), set_(g_getenv(name) == nullptr) {
        if (set_) {
            g_setenv(name_, value, TRUE);
        }
    }
    ~ScopedVariable() {
        if (set_) {
            g_unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool set_;
};

} // namespace

void useLocalFilesOnly() {
    // GIO picks its file layer, and scans its extension modules, once per
    // process on first use, from these variables: local files only, and no
    // module folder (/dev/null is not a folder). They are taken away again
    // so that programs launched from here do not inherit them.
    ScopedVariable vfs("GIO_USE_VFS", "local");
    ScopedVariable modules("GIO_MODULE_DIR", "/dev/null");
    (void)g_vfs_get_default();
}

} // namespace quillet::platform
