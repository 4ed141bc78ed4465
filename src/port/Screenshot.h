// Pictures to PNG files. A snapshot goes to the file its option names. F12:
// the virtual screen as it was last presented, to a PNG file in the
// working folder; it never overwrites and never writes through a link: the
// picture is written under a temporary name first and then given the first
// free number, skipping any name something (a link too) has taken meanwhile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The first of folder/citadel-0001.png, citadel-0002.png, ... that nothing
// has (a link that leads nowhere counts); "" when all 9999 are taken.
std::string NextScreenshotPath(const std::string& folder);

// Writes the bytes of a PNG file to the first free name in folder; its path,
// or "" when all are taken. Throws std::runtime_error when it cannot be written.
std::string SaveScreenshotIn(const std::string& folder, const std::vector<std::uint8_t>& png);

// Saves the virtual screen to the next free name in the working folder and
// says where on stderr. A failure is reported there too; the show goes on.
void SaveScreenshot();

// A snapshot's picture (RGB, top row first) to its PNG file; a run-time
// error naming the file when it cannot be written.
void WriteSnapshot(int frame, const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height);
