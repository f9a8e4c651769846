#pragma once

#include <string>

// The editor's draw scale, remembered per user in a one-line text file that every instance
// of the product shares: the last editor to close decides what the next one opens at.

// The product's preference files are named after it.
inline constexpr const char* kProductPreferencePrefix = "halvern";

// The per-user folder that holds the preference files, ending in a separator; empty when
// the platform has no such folder.
std::string PreferencesFolder();

// PreferencesFolder() + the prefix (path and wildcard characters replaced by '_') +
// "-display-scale.txt"; empty for an empty or null prefix or without a folder.
std::string PreferenceFilePath(const char* prefix);

// Reads the first line of the file: true with a positive finite number in value, false for
// a missing file or anything else (an empty line, trailing text, a decimal comma, zero).
bool ReadDisplayScale(const char* prefix, float& value);

// Creates the folder as needed and writes the value with four decimals and a line ending.
// Refuses values that are not finite and positive.
bool WriteDisplayScale(const char* prefix, float value);

// The product's stored scale clamped to the draw-scale range 0.5…4, or 1 when none is stored.
float StoredDisplayScale();
