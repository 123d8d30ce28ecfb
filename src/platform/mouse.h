// The relative mouse as the scenes read it: silent while the window is inactive.
#pragma once

// Whether the window was active when the current frame began; the frame
// dispatcher records it before each scene runs.
extern int WindowActive;

int MouseInit();
// Relative motion since the previous read; (0, 0) while the window is inactive.
void MousePoll(int* dx, int* dy);
int MouseButton(int button);
void InputRelease();
