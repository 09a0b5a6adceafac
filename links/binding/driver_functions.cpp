#include "links/binding/driver_functions.h"

namespace j4::links {

bool DriverFunctions::complete() const {
    return initialize && cleanup && registerFrame && unregisterFrame && registerInput &&
           unregisterInput && setMaximumChannel && setInputBase && getInputBase && setChannels &&
           getChannels && setTime && getTime && setTimecodeOffset && getTimecodeOffset &&
           setTimecodeAuto && getTimecodeAuto && setState && setMode && setSync && getUniverseMask;
}

DriverFunctions lookUpDriverFunctions(const platform::SharedLibrary& lib) {
    DriverFunctions f;
    f.initialize = lib.function<DMXDllInitializeFn>("DMXDllInitialize");
    f.cleanup = lib.function<DMXDllVoidFn>("DMXDllCleanup");
    f.registerFrame = lib.function<DMXDllRegisterFn>("DMXDllRegister");
    f.unregisterFrame = lib.function<DMXDllVoidFn>("DMXDllUnregister");
    f.registerInput = lib.function<DMXDllRegisterFn>("DMXDllRegisterInput");
    f.unregisterInput = lib.function<DMXDllUnregisterInputFn>("DMXDllUnregisterInput");
    f.setMaximumChannel = lib.function<DMXDllInt2Fn>("DMXDllSetMaximumChannel");
    f.setInputBase = lib.function<DMXDllIntFn>("DMXDllSetInputBase");
    f.getInputBase = lib.function<DMXDllIntPtrFn>("DMXDllGetInputBase");
    f.setChannels = lib.function<DMXDllSetChannelsFn>("DMXDllSetChannels");
    f.getChannels = lib.function<DMXDllGetChannelsFn>("DMXDllGetChannels");
    f.setTime = lib.function<DMXDllInt2Fn>("DMXDllSetTime");
    f.getTime = lib.function<DMXDllGetTimeFn>("DMXDllGetTime");
    f.setAutomationTime = lib.function<DMXDllIntFn>("DMXDllSetAutomationTime");
    f.setTimecodeOffset = lib.function<DMXDllIntFn>("DMXDllSetTimecodeOffset");
    f.getTimecodeOffset = lib.function<DMXDllIntPtrFn>("DMXDllGetTimecodeOffset");
    f.setTimecodeAuto = lib.function<DMXDllIntFn>("DMXDllSetTimecodeAuto");
    f.getTimecodeAuto = lib.function<DMXDllGetTimecodeAutoFn>("DMXDllGetTimecodeAuto");
    f.setState = lib.function<DMXDllIntFn>("DMXDllSetState");
    f.setMode = lib.function<DMXDllIntFn>("DMXDllSetMode");
    f.setSync = lib.function<DMXDllSetSyncFn>("DMXDllSetSync");
    f.hibernate = lib.function<DMXDllVoidFn>("DMXDllHybernate");
    f.resume = lib.function<DMXDllVoidFn>("DMXDllResume");
    f.getUniverseMask = lib.function<DMXDllIntPtrFn>("DMXDllGetUniverseMask");
    return f;
}

}  // namespace j4::links
