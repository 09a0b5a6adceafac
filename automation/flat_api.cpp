// The C entry points over J4Automation.

#include <new>

#include "automation/j4_automation.h"
#include "automation/j4auto.h"
#include "automation/shared_block.h"

struct J4AutoClient {
    explicit J4AutoClient(const char* name)
        : automation(name != nullptr ? std::string(name)
                                     : j4::automation::SharedBlock::defaultName()) {}
    j4::automation::J4Automation automation;
};

namespace {

using Code = j4::automation::CommandCode;
using j4::automation::PostResult;
using j4::automation::toResultCode;

int result(PostResult r) {
    return toResultCode(r);
}

int postTo(J4AutoClient* client, Code code, int32_t argument1, int32_t argument2) {
    if (client == nullptr) return J4AUTO_FAILED;
    return result(client->automation.post(static_cast<int32_t>(code), argument1, argument2));
}

}  // namespace

extern "C" {

J4AutoClient* j4auto_open(const char* block_name) {
    try {
        return new J4AutoClient(block_name);
    } catch (...) {  // out of memory: no exception crosses into C
        return nullptr;
    }
}

void j4auto_close(J4AutoClient* client) {
    delete client;
}

const char* j4auto_error(const J4AutoClient* client) {
    if (client == nullptr) return "no client";
    return client->automation.error().c_str();
}

const char* j4auto_result_text(int code) {
    return j4::automation::resultText(code);
}

int j4auto_set_post_timeout(J4AutoClient* client, int milliseconds) {
    if (client == nullptr || milliseconds < 0) return J4AUTO_FAILED;
    client->automation.setPostTimeout(std::chrono::milliseconds(milliseconds));
    return J4AUTO_OK;
}

int j4auto_is_connected(const J4AutoClient* client) {
    return client != nullptr ? client->automation.IsConnected() : 0;
}

int j4auto_get_clock(const J4AutoClient* client, int32_t* time, int32_t* mode, int32_t* state,
                     int32_t* timecode_status) {
    if (client == nullptr || !client->automation.attached()) return J4AUTO_FAILED;
    const auto c = client->automation.clock();
    if (time) *time = c.time;
    if (mode) *mode = c.mode;
    if (state) *state = c.state;
    if (timecode_status) *timecode_status = c.timecode;
    return J4AUTO_OK;
}

int j4auto_post(J4AutoClient* client, int32_t code, int32_t argument1, int32_t argument2,
                const char* path) {
    if (client == nullptr) return J4AUTO_FAILED;
    return result(client->automation.post(code, argument1, argument2,
                                          path != nullptr ? std::string_view(path) : ""));
}

int j4auto_set_submaster_level(J4AutoClient* client, int32_t sub, int32_t level) {
    return postTo(client, Code::SetSubmasterLevel, sub, level);
}
int j4auto_recall_preset(J4AutoClient* client, int32_t preset) {
    return postTo(client, Code::RecallPreset, preset, 0);
}
int j4auto_set_grandmaster_level(J4AutoClient* client, int32_t level) {
    return postTo(client, Code::SetGrandmasterLevel, level, 0);
}
int j4auto_set_x_level(J4AutoClient* client, int32_t xfader, int32_t level) {
    return postTo(client, Code::SetXLevel, xfader, level);
}
int j4auto_set_y_level(J4AutoClient* client, int32_t yfader, int32_t level) {
    return postTo(client, Code::SetYLevel, yfader, level);
}
int j4auto_set_submaster_cue(J4AutoClient* client, int32_t sub, int32_t cue) {
    return postTo(client, Code::SetSubmasterCue, sub, cue);
}
int j4auto_set_x_cue(J4AutoClient* client, int32_t xfader, int32_t cue) {
    return postTo(client, Code::SetXCue, xfader, cue);
}
int j4auto_set_y_cue(J4AutoClient* client, int32_t yfader, int32_t cue) {
    return postTo(client, Code::SetYCue, yfader, cue);
}
int j4auto_set_transport_mode(J4AutoClient* client, int32_t mode) {
    return postTo(client, Code::SetTransportMode, mode, 0);
}
int j4auto_play(J4AutoClient* client, int32_t start_time) {
    return postTo(client, Code::Play, start_time, 0);
}
int j4auto_stop(J4AutoClient* client) {
    return postTo(client, Code::Stop, 0, 0);
}
int j4auto_record(J4AutoClient* client, int32_t start_time) {
    return postTo(client, Code::Record, start_time, 0);
}
int j4auto_automate(J4AutoClient* client, int32_t start_time, int32_t stop_time) {
    return postTo(client, Code::Automate, start_time, stop_time);
}
int j4auto_load(J4AutoClient* client, const char* path) {
    return j4auto_post(client, static_cast<int32_t>(Code::Load), 0, 0, path != nullptr ? path : "");
}
int j4auto_set_aux_sub_level(J4AutoClient* client, int32_t auxsub, int32_t level) {
    return postTo(client, Code::SetAuxSubLevel, auxsub, level);
}
int j4auto_set_aux_sub_cue(J4AutoClient* client, int32_t auxsub, int32_t cue) {
    return postTo(client, Code::SetAuxSubCue, auxsub, cue);
}
}
