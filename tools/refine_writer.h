// Writers for what the refining and feeding pages read: the refining table
// of the maps.dat image (table 24) and objects whose fixed block carries a
// type, a level, a picture, skills and the no-result byte.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using RefineRecipe = std::array<uint16_t, 3>;  // input, input, result

// 256 u16 result types ((type 1, type 2) -> result type; others 0), the
// recipes, and the end id 65535.
std::vector<uint8_t> RefineTableBytes(const std::map<std::pair<int, int>, uint16_t>& types,
                                      const std::vector<RefineRecipe>& recipes);

// An object with type bits and u16 words of its fixed block by byte offset
// 84..161 (84 picture, 86 type, 88 level, 90..94 attack, defence, agility,
// 104 life, 108..132 skills, 161 the no-result byte with 162 as its high
// byte); tag 1 carries the block.
std::vector<uint8_t> BlockObjectBytes(const std::string& name, uint32_t typeBits,
                                      const std::map<int, uint16_t>& blockWords, const std::string& description = "");
