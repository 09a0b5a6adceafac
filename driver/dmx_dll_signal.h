#pragma once
// DMXDllSignal for the platform's semaphore and event: what a C++ caller registers
// with the driver (see dmx_dll.h).

#include "driver/dmx_dll.h"
#include "platform/event.h"
#include "platform/semaphore.h"

namespace j4::driver {

inline DMXDllSignal semaphoreSignal(platform::Semaphore& semaphore) {
    return {&semaphore, [](void* c) { static_cast<platform::Semaphore*>(c)->release(1); }};
}

inline DMXDllSignal eventSignal(platform::Event& event) {
    return {&event, [](void* c) { static_cast<platform::Event*>(c)->set(); }};
}

}  // namespace j4::driver
