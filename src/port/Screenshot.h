// F12: the virtual screen as it was last presented, to a PNG file in the
// working folder. Never overwrites: each picture takes the next free number.
#pragma once

#include <string>

// The first of folder/citadel-0001.png, citadel-0002.png, ... that does not
// exist yet; "" when all 9999 are taken.
std::string NextScreenshotPath(const std::string& folder);

// Saves the virtual screen to the next free name in the working folder and
// says where on stderr. A failure is reported there too; the show goes on.
void SaveScreenshot();
