// Placeholder: this scene draws nothing until its screen is built.
#include "shell/scenes.h"
void HiscoreViewScene() {}
void NameEntryScene() {}
