// Skins of the meshes and the stage floors.
#include "pictures.h"

void AddModelTextures(std::vector<Picture>& out) {}
