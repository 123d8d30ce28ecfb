// Skins of the meshes and the stage floors.
#include "pictures.h"

namespace img {
void AddModelTextures(std::vector<Picture>& out) {}
}  // namespace img
