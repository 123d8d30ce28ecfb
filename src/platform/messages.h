// The game's messages to the player: one row each, the Japanese text the game
// has always shown, then its English meaning on a second line.
#pragma once
#include <string>

enum MessageId {
    MsgWindowFailed,
    MsgDeviceFailed,
    MsgImageMissing,   // %s: the picture's name in the images archive
    MsgDataMissing,    // %s: the mesh's name in the mesh archive
    MsgMeshData,
    MsgMeshTexture,    // not fatal: the material is drawn without it
    MsgMusicFile,
    MsgStageFile,      // %s: the stage file's path
    MsgVertexBuffer,
    MsgWorldBuffer,
    MsgNoData,         // %s: the places searched, one per line
    kMessageCount
};

// The full text: the message's lines with %s filled from `arg` (cut at 1000 bytes).
std::string MessageText(MessageId id, const char* arg = nullptr);
// A message box (and stderr); after a fatal message of the same run, stderr only.
void ShowMessage(MessageId id, const char* arg = nullptr);
// A fatal message: the box only when it is the first of the run, stderr
// always, then the quit request with exit status 1.
void ShowFatal(MessageId id, const char* arg = nullptr);
