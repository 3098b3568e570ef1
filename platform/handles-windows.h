// What the console and the files share on Windows: the words of an error, and writing all
// bytes to a handle.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

// The most one ReadFile or WriteFile call is given; larger writes are split.
constexpr std::size_t kMaxChunk = 1 << 30;

// The error of a write that took none of the bytes: an application's own code (bit 29), which
// error_text words as kNoBytesTaken.
constexpr DWORD kNoBytesTakenCode = (DWORD{1} << 29) | 1;

// The error as the C library words it where it knows it ("Permission denied", "No space left
// on device"), so that reports read as on other systems; otherwise the system's own words.
std::string error_text(DWORD code);

// Writes all bytes, or as many as the system took before it failed, and counts them in
// `written`. Returns ERROR_SUCCESS or the error that stopped the write (kNoBytesTakenCode for
// a write that took nothing).
DWORD write_handle(HANDLE handle, std::string_view bytes, std::size_t* written);

}  // namespace platform
