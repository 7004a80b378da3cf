// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// What the program asks of the operating system about itself, its console and its files, where Linux and
// Windows answer differently. Any thread.
namespace vorin::process {

// The program's arguments after its name, as the program's texts are: on Windows read from the wide command
// line and converted to GBK (whatever the console's code page), so that pathOf gives back the files they
// name.
std::vector<std::string> arguments(int argc, char** argv);

// Standard input and output carry bytes as they are (Windows would turn "\n" into "\r\n"), and a console
// shows the program's UTF-8 messages as such.
void setUpStandardStreams();

// Whether the stream is a terminal (a console on Windows) rather than a file or a pipe.
bool isTerminal(std::FILE* stream);

// The first Ctrl-C (or SIGTERM, or the console closing) calls handler, which must only set a flag; a
// second one ends the program at once. A closed output pipe becomes a write error, not a signal.
void onInterrupt(void (*handler)());

int id();

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
