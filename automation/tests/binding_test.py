"""The flat C interface bound from Python with ctypes, as a script would use it.

Usage: binding_test.py LIBJ4AUTO_PATH
Checks the results a client sees without a console, with bad arguments and with a
block it cannot use; exits 0 when all hold.
"""
import ctypes
import os
import sys


def main():
    lib = ctypes.CDLL(sys.argv[1])
    lib.j4auto_open.restype = ctypes.c_void_p
    lib.j4auto_open.argtypes = [ctypes.c_char_p]
    lib.j4auto_close.argtypes = [ctypes.c_void_p]
    lib.j4auto_error.restype = ctypes.c_char_p
    lib.j4auto_error.argtypes = [ctypes.c_void_p]
    lib.j4auto_result_text.restype = ctypes.c_char_p
    for name in ("j4auto_is_connected", "j4auto_play", "j4auto_set_submaster_level",
                 "j4auto_load", "j4auto_get_clock"):
        getattr(lib, name).restype = ctypes.c_int
    lib.j4auto_is_connected.argtypes = [ctypes.c_void_p]
    lib.j4auto_play.argtypes = [ctypes.c_void_p, ctypes.c_int32]
    lib.j4auto_set_submaster_level.argtypes = [ctypes.c_void_p, ctypes.c_int32, ctypes.c_int32]
    lib.j4auto_load.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    i32 = ctypes.POINTER(ctypes.c_int32)
    lib.j4auto_get_clock.argtypes = [ctypes.c_void_p, i32, i32, i32, i32]

    name = "/j4auto-pytest-%d" % os.getpid()
    client = lib.j4auto_open(name.encode())
    try:
        assert lib.j4auto_error(client) == b"", lib.j4auto_error(client)
        assert lib.j4auto_is_connected(client) == 0
        assert lib.j4auto_play(client, -1) == -3  # no console
        assert lib.j4auto_set_submaster_level(client, 24, 0) == -4  # out of range
        assert lib.j4auto_load(client, b"x" * 256) == -4
        t = ctypes.c_int32(-9)
        assert lib.j4auto_get_clock(client, ctypes.byref(t), None, None, None) == 0
        assert t.value == 0
        assert b"no console" in lib.j4auto_result_text(-3)
    finally:
        lib.j4auto_close(client)
        if os.path.exists("/dev/shm" + name):  # where glibc keeps shared memory
            os.unlink("/dev/shm" + name)

    bad = lib.j4auto_open(b"no-slash")
    assert lib.j4auto_error(bad) != b""
    assert lib.j4auto_play(bad, -1) == -1
    lib.j4auto_close(bad)
    return 0


if __name__ == "__main__":
    sys.exit(main())
