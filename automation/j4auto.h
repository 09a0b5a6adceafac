#ifndef J4AUTO_H
#define J4AUTO_H
/*
 * The flat C interface of the automation library, for clients written in any language
 * that can call C (ctypes, cffi, FFI). The C++ class j4::automation::J4Automation offers
 * the same operations.
 *
 * Every posting call returns J4AUTO_OK when the command was queued for the console, or a
 * negative J4AutoResult saying why it was not. Nothing is ever queued for an argument
 * outside the command's range.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define J4AUTO_API __attribute__((visibility("default")))

typedef enum J4AutoResult {
    J4AUTO_OK = 0,
    J4AUTO_FAILED = -1,         /* no shared block (see j4auto_error) or a bad handle */
    J4AUTO_EMPTY = -1,          /* AutoDllGetCommand: the queue is empty */
    J4AUTO_IN_USE = -2,         /* AutoDllSetEvent: another console is registered */
    J4AUTO_NOT_CONNECTED = -3,  /* no console is running: nothing queued */
    J4AUTO_OUT_OF_RANGE = -4,   /* an argument is outside its range: nothing queued */
    J4AUTO_DROPPED = -5,        /* the queue stayed full until the post time-out: dropped */
    J4AUTO_INVALID_COMMAND = -6 /* AutoDllGetCommand: a malformed command was discarded */
} J4AutoResult;

/* The longest show path a Load carries: 255 characters, UTF-8, in a field of 1024 bytes
 * that always ends with a zero byte. */
#define J4AUTO_PATH_MAX_CHARACTERS 255
#define J4AUTO_PATH_FIELD_BYTES 1024

/* One command as the console takes it from the queue. */
typedef struct J4AutoCommand {
    int32_t code;
    int32_t argument1;
    int32_t argument2;
    char path[J4AUTO_PATH_FIELD_BYTES]; /* code 14 only; "" otherwise; always terminated */
} J4AutoCommand;

typedef struct J4AutoClient J4AutoClient;

/* Attaches to the user's shared block: block_name NULL means the default
 * ("/j4auto-<uid>", or $J4_AUTOMATION_BLOCK). Returns NULL only when memory runs out;
 * check j4auto_error for a block that could not be attached. */
J4AUTO_API J4AutoClient* j4auto_open(const char* block_name);
J4AUTO_API void j4auto_close(J4AutoClient* client);
/* "" when the client is usable, else why not. Valid until the client is closed. */
J4AUTO_API const char* j4auto_error(const J4AutoClient* client);
/* English text of a J4AutoResult. */
J4AUTO_API const char* j4auto_result_text(int result);

/* How long a post waits for room in a full queue before it drops the command
 * (default 1000 ms; 0 drops at once). */
J4AUTO_API int j4auto_set_post_timeout(J4AutoClient* client, int milliseconds);

/* 1 while a console is running, else 0. */
J4AUTO_API int j4auto_is_connected(const J4AutoClient* client);
/* The console's clock as last published: time in ms, mode, state, timecode status. Any
 * pointer may be NULL. */
J4AUTO_API int j4auto_get_clock(const J4AutoClient* client, int32_t* time, int32_t* mode,
                                int32_t* state, int32_t* timecode_status);

J4AUTO_API int j4auto_set_submaster_level(J4AutoClient* client, int32_t sub, int32_t level);
J4AUTO_API int j4auto_recall_preset(J4AutoClient* client, int32_t preset);
J4AUTO_API int j4auto_set_grandmaster_level(J4AutoClient* client, int32_t level);
J4AUTO_API int j4auto_set_x_level(J4AutoClient* client, int32_t xfader, int32_t level);
J4AUTO_API int j4auto_set_y_level(J4AutoClient* client, int32_t yfader, int32_t level);
J4AUTO_API int j4auto_set_submaster_cue(J4AutoClient* client, int32_t sub, int32_t cue);
J4AUTO_API int j4auto_set_x_cue(J4AutoClient* client, int32_t xfader, int32_t cue);
J4AUTO_API int j4auto_set_y_cue(J4AutoClient* client, int32_t yfader, int32_t cue);
J4AUTO_API int j4auto_set_transport_mode(J4AutoClient* client, int32_t mode);
J4AUTO_API int j4auto_play(J4AutoClient* client, int32_t start_time);
J4AUTO_API int j4auto_stop(J4AutoClient* client);
J4AUTO_API int j4auto_record(J4AutoClient* client, int32_t start_time);
J4AUTO_API int j4auto_automate(J4AutoClient* client, int32_t start_time, int32_t stop_time);
/* path: UTF-8, 1..255 characters. */
J4AUTO_API int j4auto_load(J4AutoClient* client, const char* path);
J4AUTO_API int j4auto_set_aux_sub_level(J4AutoClient* client, int32_t auxsub, int32_t level);
J4AUTO_API int j4auto_set_aux_sub_cue(J4AutoClient* client, int32_t auxsub, int32_t cue);
/* Any command by code (1..16); path is used by code 14 only and may be NULL otherwise. */
J4AUTO_API int j4auto_post(J4AutoClient* client, int32_t code, int32_t argument1, int32_t argument2,
                           const char* path);

#ifdef __cplusplus
}
#endif

#endif
