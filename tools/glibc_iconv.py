"""glibc's iconv through ctypes, for the table generators in this folder (they must match the
converters of the C library exactly, which Python's own codecs do not)."""

import ctypes
import ctypes.util


class Iconv:
    """One glibc iconv conversion descriptor, used for whole short inputs."""
    _libc = None

    def __init__(self, to_code, from_code):
        if Iconv._libc is None:
            libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
            libc.iconv_open.restype = ctypes.c_void_p
            libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
            libc.iconv.restype = ctypes.c_size_t
            libc.iconv.argtypes = [ctypes.c_void_p] + [
                ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)] * 2
            libc.iconv_close.argtypes = [ctypes.c_void_p]
            libc.gnu_get_libc_version.restype = ctypes.c_char_p
            Iconv._libc = libc
        self._cd = Iconv._libc.iconv_open(to_code.encode(), from_code.encode())
        if self._cd is None or self._cd == ctypes.c_void_p(-1).value:
            raise OSError(f"iconv_open({to_code}, {from_code}) failed")

    @staticmethod
    def libc_version():
        return Iconv._libc.gnu_get_libc_version().decode()

    def convert(self, data):
        """The converted bytes, or None when any part of `data` cannot be converted."""
        libc = Iconv._libc
        libc.iconv(self._cd, None, None, None, None)  # back to the initial state
        in_buffer = ctypes.create_string_buffer(data, len(data))
        out_size = 4 * len(data) + 16
        out_buffer = ctypes.create_string_buffer(out_size)
        in_pointer = ctypes.c_char_p(ctypes.addressof(in_buffer))
        in_left = ctypes.c_size_t(len(data))
        out_pointer = ctypes.c_char_p(ctypes.addressof(out_buffer))
        out_left = ctypes.c_size_t(out_size)
        result = libc.iconv(self._cd, ctypes.byref(in_pointer), ctypes.byref(in_left),
                            ctypes.byref(out_pointer), ctypes.byref(out_left))
        if result == ctypes.c_size_t(-1).value or in_left.value != 0:
            return None
        return out_buffer.raw[:out_size - out_left.value]
