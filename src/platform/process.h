// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the program asks of the operating system about itself, its console and its files, where Linux and
// Windows answer differently. Any thread.
namespace vorin::process {

// The program's arguments after its name: on Linux their bytes, on Windows the wide command line in UTF-8
// (whatever the console's code page), so that argumentPath gives back any file they name.
std::vector<std::string> arguments(int argc, char** argv);
// A file name given as an argument as a path, and a path as an argument's text, for messages (bytes on
// Linux, UTF-8 on Windows).
std::filesystem::path argumentPath(std::string_view text);
std::string argumentText(const std::filesystem::path& path);
// A file or folder an environment variable names (read wide on Windows); nothing when it is unset or empty.
std::optional<std::filesystem::path> environmentPath(const char* name);
// The user's folder for files the program can make again (its cache): $XDG_CACHE_HOME/vorindaili or
// ~/.cache/vorindaili on Linux, %LOCALAPPDATA%\vorindaili on Windows.
std::filesystem::path cacheFolder();

// A path for a library that opens files by narrow names: its bytes on Linux; on Windows in the ANSI code
// page where every character has a place there, its short (8.3) name otherwise.
std::string narrowPath(const std::filesystem::path& path);

// Standard input and output carry bytes as they are (Windows would turn "\n" into "\r\n"), and a console
// shows the program's UTF-8 messages as such (on Windows its code page is put back at exit) and, where it
// can, its escape sequences.
void setUpStandardStreams();
// Whether a terminal on the stream moves the cursor by escape sequences ("\033[K"); a legacy Windows
// console does not.
bool terminalEscapes(std::FILE* stream);

// Whether the stream is a terminal (a console on Windows) rather than a file or a pipe.
bool isTerminal(std::FILE* stream);

// The first Ctrl-C (or SIGTERM; on Windows Ctrl-Break, the console closing, the user logging off or the
// system shutting down) calls handler, which must only set a flag; a second Ctrl-C ends the program at
// once. A closed output pipe becomes a write error, not a signal. Windows ends a program whose console
// closes or whose session ends as soon as it has been told: there the call waits (five seconds at most) until
// cleanedUp() says the program has put back what it changed.
void onInterrupt(void (*handler)());
void cleanedUp();

int id();

// Whether the user's Windows speaks Chinese (its user-interface language); nothing on Linux, where the
// locale's variables say it.
std::optional<bool> chineseUserInterface();

// The running executable's file.
std::filesystem::path executable();

// Whether the user may create files in the folder; why it cannot is left in errno where the system says.
bool folderWritable(const std::filesystem::path& dir);

// Fills buf with bytes from the system's random source; false when it has none.
bool randomBytes(void* buf, std::size_t size);

// Creates the file for writing in binary, failing when it exists already; nothing when it cannot.
std::FILE* createNewFile(const std::filesystem::path& path);

// A GBK text (a file name the user typed, or one the program built) as a path, and a path as GBK text.
// On Linux a file name is its bytes; on Windows it is UTF-16, converted through code page 936. Every text
// that names a file becomes a path here: the C++ library on Windows would widen its bytes one by one.
std::filesystem::path pathOf(std::string_view gbk);
std::string textOf(const std::filesystem::path& path);

} // namespace vorin::process
