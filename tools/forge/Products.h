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

// The note of a picture: its size and kind, "256x256 RGB".
std::string sizeNote(int w, int h, const char* kind);

// Pictures.
bool makeLoadingPicture(const std::string& path, std::string& note, std::string& error);
bool makeDistortionField(const std::string& path, std::string& note, std::string& error);
bool makeFilmGrain(const std::string& path, std::string& note, std::string& error);
bool makeBorderFrame(const std::string& path, std::string& note, std::string& error);
bool makeLogoOverlay(const std::string& path, std::string& note, std::string& error);

// The sync editor's buttons, in the order of its shape and transport groups.
enum class EditorButton {
    Linear, Smoothstep, Exponential, MinExponential,
    ValVal, ValZero, ValOne, ZeroVal, OneVal, OneOne, ZeroZero,
    Play, Pause, Record,
};
bool makeEditorButton(EditorButton which, const std::string& path, std::string& note, std::string& error);
template <EditorButton Which>
bool makeEditorButtonPicture(const std::string& path, std::string& note, std::string& error) {
    return makeEditorButton(Which, path, note, error);
}

// The night sky's pictures.
bool makeSparkGlow(const std::string& path, std::string& note, std::string& error);
bool makeSkyline(const std::string& path, std::string& note, std::string& error);
bool makeLogoMask(const std::string& path, std::string& note, std::string& error);
bool makeLogoGlow(const std::string& path, std::string& note, std::string& error);
bool makeTitle(const std::string& path, std::string& note, std::string& error);
bool makeParticleAtlas(const std::string& path, std::string& note, std::string& error);

// The performer and the cloth: the recorded dancer (all 539 frames beside the given
// first one), the fabric with its burn map, the flame and the soft dot.
bool makePerformer(const std::string& path, std::string& note, std::string& error);
bool makeFabric(const std::string& path, std::string& note, std::string& error);
bool makeFlameSprite(const std::string& path, std::string& note, std::string& error);
bool makeSoftDot(const std::string& path, std::string& note, std::string& error);
// The sky scene.
bool makeSuperGlow(const std::string& path, std::string& note, std::string& error);
bool makeParticleDepth(const std::string& path, std::string& note, std::string& error);
bool makeWingPart(const std::string& path, std::string& note, std::string& error);
bool makeGreetingCards(const std::string& path, std::string& note, std::string& error);
bool makeWingModel(const std::string& path, std::string& note, std::string& error);

// Sound.
bool makeSoundtrack(const std::string& path, std::string& note, std::string& error);

// The town (Town.cpp): part I's model and texture, the floating tower; the city's
// bird strip and backlight (CityPictures.cpp).
template <int I>
bool makeTownModelFile(const std::string& path, std::string& note, std::string& error);
template <int I>
bool makeTownTextureFile(const std::string& path, std::string& note, std::string& error);
bool makeTowerModelFile(const std::string& path, std::string& note, std::string& error);
bool makeTowerTextureFile(const std::string& path, std::string& note, std::string& error);
bool makeFlyingBird(const std::string& path, std::string& note, std::string& error);
bool makeBacklight(const std::string& path, std::string& note, std::string& error);

// For the sync editor: the beat grid (data/tempo.txt) and a first set of bookmarks
// (editor/bookmarks.txt, left alone when it is there) at the scene changes.
bool makeTempoFile(const std::string& path, std::string& note, std::string& error);
bool makeFirstBookmarks(const std::string& path, std::string& note, std::string& error);
const std::vector<double>& sceneChangeTimes();

// Choreography: compiles content/choreography.txt into the sync file.
bool compileChoreography(const std::string& path, std::string& note, std::string& error);

} // namespace qelFramework::forge
