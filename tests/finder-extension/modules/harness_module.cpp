#include "harness_module.h"

#include <dlfcn.h>

namespace quillet::test {

namespace {

using InitializeFunc = void (*)(GTypeModule*);
using ShutdownFunc = void (*)();
using ListTypesFunc = void (*)(const GType**, int*);

struct HarnessModule {
    GTypeModule parent;
    char* path;
    char* prefix;
    void* handle;
    ShutdownFunc shutdown;
    std::vector<GType>* types;
};

struct HarnessModuleClass {
    GTypeModuleClass parent;
};

HarnessModule* self(GTypeModule* module) {
    return reinterpret_cast<HarnessModule*>(module);
}

gboolean load(GTypeModule* module) {
    HarnessModule* m = self(module);
    if (m->handle == nullptr) {
        // The file manager opens extensions lazily bound and local.
        m->handle = dlopen(m->path, RTLD_LAZY | RTLD_LOCAL);
        if (m->handle == nullptr) {
            g_warning("cannot open %s: %s", m->path, dlerror());
            return FALSE;
        }
    }
    auto entry = [m](const char* name) {
        std::string symbol = m->prefix;
        symbol += name;
        return dlsym(m->handle, symbol.c_str());
    };
    auto initialize = reinterpret_cast<InitializeFunc>(entry("_module_initialize"));
    auto listTypes = reinterpret_cast<ListTypesFunc>(entry("_module_list_types"));
    m->shutdown = reinterpret_cast<ShutdownFunc>(entry("_module_shutdown"));
    if (initialize == nullptr || listTypes == nullptr || m->shutdown == nullptr) {
        g_warning("%s lacks the module entry points", m->path);
        return FALSE;
    }
    initialize(module);
    const GType* types = nullptr;
    int count = 0;
    listTypes(&types, &count);
    m->types->assign(types, types + count);
    return TRUE;
}

void unload(GTypeModule* module) {
    if (self(module)->shutdown != nullptr) {
        self(module)->shutdown();
    }
}

void finalize(GObject* object) {
    HarnessModule* m = self(G_TYPE_MODULE(object));
    g_free(m->path);
    g_free(m->prefix);
    delete m->types;
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void classInit(gpointer klass, gpointer) {
    G_OBJECT_CLASS(klass)->finalize = finalize;
    G_TYPE_MODULE_CLASS(klass)->load = load;
    G_TYPE_MODULE_CLASS(klass)->unload = unload;
}

GType harnessModuleType() {
    static GType type = g_type_register_static_simple(
        G_TYPE_TYPE_MODULE, "HarnessModule", sizeof(HarnessModuleClass), classInit,
        sizeof(HarnessModule), nullptr, GTypeFlags(0));
    return type;
}

} // namespace

GTypeModule* newHarnessModule(const std::string& libraryPath, const std::string& prefix) {
    auto* module = static_cast<HarnessModule*>(g_object_new(harnessModuleType(), nullptr));
    module->path = g_strdup(libraryPath.c_str());
    module->prefix = g_strdup(prefix.c_str());
    module->types = new std::vector<GType>();
    g_type_module_set_name(G_TYPE_MODULE(module), libraryPath.c_str());
    return G_TYPE_MODULE(module);
}

std::vector<GType> harnessModuleTypes(GTypeModule* module) {
    return *self(module)->types;
}

std::string LoadedModule::load(const std::string& libraryPath, const std::string& prefix) {
    module = newHarnessModule(libraryPath, prefix);
    if (!g_type_module_use(module)) {
        return "the module did not load";
    }
    auto types = harnessModuleTypes(module);
    if (types.size() != 1) {
        std::string failure = "the module lists ";
        return failure + std::to_string(types.size()) + " types, not one";
    }
    providerType = types[0];
    return {};
}

void LoadedModule::unload() {
    if (providerType != 0) {
        g_type_module_unuse(module);
    }
}

} // namespace quillet::test
