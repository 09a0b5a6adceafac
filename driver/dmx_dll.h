#pragma once
// The public interface of the driver library CorvantaJ4Drv: 26 plain C functions,
// exported by name (Linux has no ordinals, so every caller binds by name). Results:
// 0 success, -1 failure, -2 interface in use by another process; out-values through
// pointers.
//
// Signalling. The caller's frame semaphore and input event are in-process objects of
// the caller; the library never sees their C++ types. The caller passes a
// DMXDllSignal: a context pointer and a function the driver calls with it to signal
// (release the semaphore by one, or set the event). The driver copies the two fields,
// so the struct itself may be a temporary; the context must stay valid until
// DMXDllUnregister / DMXDllUnregisterInput / DMXDllCleanup has returned. Those calls
// wait for a signal in progress to finish, and no signal is made after they return.
// The signal function must be short and must not call back into the driver.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DMX_DLL_VERSION 0x30000
#define DMX_DLL_FRAME_BYTES 8192
#define DMX_DLL_INPUT_CHANNELS 48

typedef struct DMXDllSignal {
    void* context;
    void (*signal)(void* context);
} DMXDllSignal;

#if defined(__GNUC__)
#define DMX_DLL_API __attribute__((visibility("default")))
#else
#define DMX_DLL_API
#endif

// Writes DMX_DLL_VERSION to *version first; *version in: slot 0-7, or -1 for all
// slots. 0 success, -2 slot owned by another process, -1 other failure.
DMX_DLL_API int32_t DMXDllInitialize(int32_t* version);
DMX_DLL_API int32_t DMXDllCleanup(void);
// A null pointer or a null signal function unregisters.
DMX_DLL_API int32_t DMXDllRegister(const DMXDllSignal* frameSemaphore);
DMX_DLL_API int32_t DMXDllUnregister(void);
DMX_DLL_API int32_t DMXDllRegisterInput(const DMXDllSignal* inputEvent);
DMX_DLL_API void DMXDllUnregisterInput(void);
DMX_DLL_API int32_t DMXDllSetMaximumChannel(int32_t universe, int32_t channel);
// Sends only when length is exactly 8192 (otherwise does nothing and returns 0).
// -1 when the interface is lost or a transfer failed.
DMX_DLL_API int32_t DMXDllSetChannels(int32_t reserved, int32_t length, const uint8_t* frame);
DMX_DLL_API int32_t DMXDllGetChannels(uint32_t* masks /* [2] */, uint8_t* input /* [48] */);
DMX_DLL_API int32_t DMXDllSetTime(int32_t timeMs, int32_t stopTimeMs);
DMX_DLL_API int32_t DMXDllGetTime(int32_t* timeMs, int32_t* mode, int32_t* state,
                                  int32_t* timecodeStatus);
DMX_DLL_API int32_t DMXDllSetTimecodeAuto(int32_t value);
DMX_DLL_API int32_t DMXDllGetTimecodeAuto(uint8_t* value);
DMX_DLL_API int32_t DMXDllSetState(int32_t state);
DMX_DLL_API int32_t DMXDllSetMode(int32_t mode);
DMX_DLL_API int32_t DMXDllSetInputBase(int32_t channel);
DMX_DLL_API int32_t DMXDllSetTimecodeOffset(int32_t offsetMs);
DMX_DLL_API int32_t DMXDllGetTimecodeOffset(int32_t* offsetMs);
DMX_DLL_API int32_t DMXDllGetInputBase(int32_t* channel);
DMX_DLL_API int32_t DMXDllSetSync(const uint8_t* frame);
DMX_DLL_API int32_t DMXDllSetFrameRate(int32_t code);
DMX_DLL_API int32_t DMXDllGetFrameRate(int32_t* code);
DMX_DLL_API int32_t DMXDllHybernate(void);
DMX_DLL_API int32_t DMXDllResume(void);
DMX_DLL_API int32_t DMXDllSetAutomationTime(int32_t stopTimeMs);
DMX_DLL_API int32_t DMXDllGetUniverseMask(int32_t* mask);

// Function-pointer types for callers that look the functions up by name.
typedef int32_t (*DMXDllInitializeFn)(int32_t*);
typedef int32_t (*DMXDllVoidFn)(void);
typedef int32_t (*DMXDllRegisterFn)(const DMXDllSignal*);
typedef void (*DMXDllUnregisterInputFn)(void);
typedef int32_t (*DMXDllInt2Fn)(int32_t, int32_t);
typedef int32_t (*DMXDllIntFn)(int32_t);
typedef int32_t (*DMXDllIntPtrFn)(int32_t*);
typedef int32_t (*DMXDllSetChannelsFn)(int32_t, int32_t, const uint8_t*);
typedef int32_t (*DMXDllGetChannelsFn)(uint32_t*, uint8_t*);
typedef int32_t (*DMXDllGetTimeFn)(int32_t*, int32_t*, int32_t*, int32_t*);
typedef int32_t (*DMXDllGetTimecodeAutoFn)(uint8_t*);
typedef int32_t (*DMXDllSetSyncFn)(const uint8_t*);

#ifdef __cplusplus
}
#endif
