#include "platform/messages.h"

#include <cstdio>

#include "platform/system.h"

namespace {

struct MessageRow {
    const char* text;     // as the game shows it; may hold one %s
    const char* english;  // its meaning, null when the text is English already
    const char* caption;  // null: the program's name
};

// The two buffer messages were always English, under the caption "error".
const MessageRow kMessages[kMessageCount] = {
    {"ウィンドウの作成に失敗", "The window could not be created.", nullptr},
    {"DirectXの初期化に失敗しました", "The graphics device could not be started.", nullptr},
    {"画像\"%s\"が見つかりませんでした", "The picture \"%s\" was not found.", nullptr},
    {"データ\"%s\"が見つかりませんでした", "The data \"%s\" was not found.", nullptr},
    {"メッシュデータの読み込みに失敗", "A model could not be read.", nullptr},
    {"メッシュテクスチャの読み込みに失敗", "A model's texture could not be read.", nullptr},
    {"楽曲ファイルの読み込みに失敗", "A music file could not be read.", nullptr},
    {"ステージファイルが開けません: %s", "The stage file cannot be opened: %s", nullptr},
    {"Not created vertex buffer", nullptr, "error"},
    {"Not created tex or vertex buffer", nullptr, "error"},
    {"ゲームデータが見つかりません", "The game's data was not found. Looked in:\n%s", nullptr},
};

std::string Fill(const char* format, const char* arg) {
    char text[4096];
    char cut[1001];
    std::snprintf(cut, sizeof cut, "%s", arg ? arg : "");
    std::snprintf(text, sizeof text, format, cut);
    return text;
}

}  // namespace

std::string MessageText(MessageId id, const char* arg) {
    if (id < 0 || id >= kMessageCount) return "";
    const MessageRow& m = kMessages[id];
    std::string text = Fill(m.text, arg);
    if (m.english) text += "\n" + Fill(m.english, arg);
    return text;
}

void ShowMessage(MessageId id, const char* arg) {
    if (id < 0 || id >= kMessageCount) return;
    ShowMessageBox(MessageText(id, arg).c_str(), kMessages[id].caption);
}

void ShowFatal(MessageId id, const char* arg) {
    if (id < 0 || id >= kMessageCount) return;
    ShowFatalMessage(MessageText(id, arg).c_str(), kMessages[id].caption);
}
