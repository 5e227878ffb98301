#include "d2xx.h"

#include <mutex>
#include <string>

#include "compat/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace d2xx {

namespace {

#ifdef _WIN32
using Module = HMODULE;

Module LoadModule(const std::string& name) { return LoadLibraryW(compat::Utf8ToWide(name).c_str()); }
void* Symbol(Module module, const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }
void Unload(Module module) { FreeLibrary(module); }
#else
using Module = void*;

Module LoadModule(const std::string& name) { return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* Symbol(Module module, const char* name) { return dlsym(module, name); }
void Unload(Module module) { dlclose(module); }
#endif

template <typename Function>
bool Resolve(Module module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(Symbol(module, name));
    return function != nullptr;
}

bool ResolveAll(Module module, Api& api) {
    return Resolve(module, "FT_CreateDeviceInfoList", api.CreateDeviceInfoList) &&
           Resolve(module, "FT_Open", api.Open) && Resolve(module, "FT_Close", api.Close) &&
           Resolve(module, "FT_SetBaudRate", api.SetBaudRate) &&
           Resolve(module, "FT_SetDataCharacteristics", api.SetDataCharacteristics) &&
           Resolve(module, "FT_SetFlowControl", api.SetFlowControl) &&
           Resolve(module, "FT_SetTimeouts", api.SetTimeouts) && Resolve(module, "FT_Purge", api.Purge) &&
           Resolve(module, "FT_GetQueueStatus", api.GetQueueStatus) && Resolve(module, "FT_Read", api.Read) &&
           Resolve(module, "FT_Write", api.Write) && Resolve(module, "FT_SetBitMode", api.SetBitMode) &&
           Resolve(module, "FT_GetBitMode", api.GetBitMode);
}

// Beside the program first (a driver shipped with it), then wherever the
// system finds libraries.
Module LoadFromUsualPlaces() {
    if (Module module = LoadModule(compat::JoinPath(compat::ExecutableDir(), LibraryName()))) return module;
    return LoadModule(LibraryName());
}

}  // namespace

const char* LibraryName() {
#ifdef _WIN32
    return "ftd2xx.dll";
#else
    return "libftd2xx.so";
#endif
}

const Api* Library() {
    // Never unloaded (see the header), so the table needs no destructor.
    static std::mutex lock;
    static Api api;
    static bool loaded = false;
    std::lock_guard<std::mutex> hold(lock);
    if (loaded) return &api;
    Module module = LoadFromUsualPlaces();
    if (!module) return nullptr;
    if (!ResolveAll(module, api)) {
        Unload(module);
        return nullptr;
    }
    loaded = true;
    return &api;
}

}  // namespace d2xx
