#include "core/scene_id.h"

int SceneId = SceneStartup;
