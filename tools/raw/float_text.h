#pragma once

// Writes `value` as printf's "%.9g" would (9 significant digits, enough for any float to read
// back as itself) and returns the end of the text. `out` needs room for 16 characters.
// Floats from 1 to 2^23, every mass of a spectrum, take an exact integer path several times
// faster than std::to_chars; the rest go through std::to_chars.
char* WriteFloat9(char* out, float value);
