#pragma once
// Number parsing of the data files ("." is the decimal separator whatever the
// locale) and the accumulation step of the game checksum.
#include <cstdint>
#include <string>

namespace orbitfall {

// The number in text, or def when text is not exactly a number (optional
// blanks, sign, digits with at most one ".", optional exponent, blanks).
long double StrToFloatDef(const std::string& text, long double def);
// The same, raising EConvertError "'%s' ist kein gültiger Gleitkommawert".
long double StrToFloat(const std::string& text);

// A whole decimal 32-bit number; EConvertError "'%s' ist kein gültiger
// Integerwert" otherwise (also when out of range).
std::int32_t StrToInt(const std::string& text);
std::int32_t StrToIntDef(const std::string& text, std::int32_t def);

// acc += (first little-endian 32-bit word of data) XOR key, wrapping.
// "HashError" when size is not a multiple of 4.
void HashAdd(std::uint32_t& acc, const void* data, int size, std::uint32_t key);

}  // namespace orbitfall
