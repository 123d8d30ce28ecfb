// The frame dispatcher over the scene table.
#pragma once

// One frame: records activity, polls the mouse outside start-up and play, runs the scene.
void DispatchScene();
