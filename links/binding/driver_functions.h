#pragma once
// The driver library's functions as the console looks them up by name.

#include "driver/dmx_dll.h"
#include "platform/shared_library.h"

namespace j4::links {

struct DriverFunctions {
    DMXDllInitializeFn initialize = nullptr;
    DMXDllVoidFn cleanup = nullptr;
    DMXDllRegisterFn registerFrame = nullptr;
    DMXDllVoidFn unregisterFrame = nullptr;
    DMXDllRegisterFn registerInput = nullptr;
    DMXDllUnregisterInputFn unregisterInput = nullptr;
    DMXDllInt2Fn setMaximumChannel = nullptr;
    DMXDllIntFn setInputBase = nullptr;
    DMXDllIntPtrFn getInputBase = nullptr;
    DMXDllSetChannelsFn setChannels = nullptr;
    DMXDllGetChannelsFn getChannels = nullptr;
    DMXDllInt2Fn setTime = nullptr;
    DMXDllGetTimeFn getTime = nullptr;
    DMXDllIntFn setTimecodeOffset = nullptr;
    DMXDllIntPtrFn getTimecodeOffset = nullptr;
    DMXDllIntFn setTimecodeAuto = nullptr;
    DMXDllGetTimecodeAutoFn getTimecodeAuto = nullptr;
    DMXDllIntFn setState = nullptr;
    DMXDllIntFn setMode = nullptr;
    DMXDllSetSyncFn setSync = nullptr;
    DMXDllIntPtrFn getUniverseMask = nullptr;
    // Optional: the console runs with hardware without them.
    DMXDllIntFn setAutomationTime = nullptr;
    DMXDllVoidFn hibernate = nullptr;
    DMXDllVoidFn resume = nullptr;

    // True when every function but the optional ones is present.
    bool complete() const;
};

// Looks every function up by name; absent ones stay null.
DriverFunctions lookUpDriverFunctions(const platform::SharedLibrary& library);

}  // namespace j4::links
