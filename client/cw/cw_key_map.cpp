#include "client/cw/cw_key_map.h"

#include <QtCore/qnamespace.h>
#include <QtGlobal>

namespace cw {

namespace {

enum class Action { Abort, MemoryKey, StackRegister, Nothing };
enum class AltHeld { Either, No, Yes };

// Keys `first` to `last` with Alt as `alt` do `action`, the first key on
// `firstIndex` (the memory or the register), the next on the next one.
struct KeyRow {
    int first;
    int last;
    AltHeld alt;
    Action action;
    int firstIndex;
};

// The first row that holds a key decides.
constexpr KeyRow kSharedKeys[] = {
    {Qt::Key_Escape, Qt::Key_Escape, AltHeld::Either, Action::Abort, kAbortKey},
    {Qt::Key_F1, Qt::Key_F11, AltHeld::No, Action::MemoryKey, 0},
    {Qt::Key_F1, Qt::Key_F4, AltHeld::Yes, Action::StackRegister, 0},
    {Qt::Key_F10, Qt::Key_F10, AltHeld::Yes, Action::MemoryKey, 9},
    {Qt::Key_F1, Qt::Key_F11, AltHeld::Yes, Action::Nothing, 0},
};

bool holds(const KeyRow& row, int key, bool alt) {
    if (key < row.first || key > row.last) {
        return false;
    }
    return row.alt == AltHeld::Either || (row.alt == AltHeld::Yes) == alt;
}

}  // namespace

bool HandleSharedKey(int key, bool alt, const SharedKeyHooks& hooks) {
    for (const KeyRow& row : kSharedKeys) {
        if (!holds(row, key, alt)) {
            continue;
        }
        const int index = row.firstIndex + (key - row.first);
        switch (row.action) {
            case Action::Abort:
                qDebug("ESC is PRESSED! (Aborting)");
                hooks.memoryKey(index);
                break;
            case Action::MemoryKey:
                qDebug("F%d is PRESSED!", key - Qt::Key_F1 + 1);
                hooks.memoryKey(index);
                break;
            case Action::StackRegister:
                hooks.stackRegister(index);
                break;
            case Action::Nothing:
                break;
        }
        return true;
    }
    return false;
}

}  // namespace cw
