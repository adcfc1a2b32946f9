#include "Products.h"
namespace qelFramework::forge {
bool makeSoundtrack(const std::string&, std::string& note, std::string&) { note = "todo"; return true; }
}
