#pragma once
// The forge's products: each makes one content file under the name the program opens it
// by ("data\textures\loading.png"). Later content adds its products to the list in
// Products.cpp.
#include <string>
#include <vector>

namespace qelFramework::forge {

struct Product {
    std::string id;   // short name for --only
    std::string file; // the name as the program writes it
    // Writes the file at path (its folder exists); note gets a short description of
    // what was made, error a message on failure.
    bool (*make)(const std::string& path, std::string& note, std::string& error);
};

// Every product, in the order the forge makes them.
const std::vector<Product>& allProducts();

// Pictures.
bool makeLoadingPicture(const std::string& path, std::string& note, std::string& error);
bool makeDistortionField(const std::string& path, std::string& note, std::string& error);
bool makeFilmGrain(const std::string& path, std::string& note, std::string& error);
bool makeBorderFrame(const std::string& path, std::string& note, std::string& error);
bool makeLogoOverlay(const std::string& path, std::string& note, std::string& error);

// The sky scene.
bool makeSuperGlow(const std::string& path, std::string& note, std::string& error);
bool makeParticleDepth(const std::string& path, std::string& note, std::string& error);
bool makeWingPart(const std::string& path, std::string& note, std::string& error);
bool makeGreetingCards(const std::string& path, std::string& note, std::string& error);
bool makeWingModel(const std::string& path, std::string& note, std::string& error);

// Sound.
bool makeSoundtrack(const std::string& path, std::string& note, std::string& error);

// Choreography: compiles content/choreography.txt into the sync file.
bool compileChoreography(const std::string& path, std::string& note, std::string& error);

} // namespace qelFramework::forge
