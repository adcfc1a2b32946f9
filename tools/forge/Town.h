#pragma once
// The town's house parts and the floating tower: text models and their textures.
#include <string>

namespace qelFramework::forge {

int townPartCount();
// Part index as the city loads them (0 the first door ... 16 the roof lip).
bool makeTownModel(int index, const std::string& path, std::string& note, std::string& error);
bool makeTownTexture(int index, const std::string& path, std::string& note, std::string& error);


} // namespace qelFramework::forge
