// The three memory dialogs on their own: the save dialog's words and
// controls, its checks and its name limit; the recall and edit lists, their
// double-clicks, delete and edit by slot. Screenshots land in the build tree.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTableWidget>
#include <QTest>

#include <string>
#include <vector>

#include "client/memory/memory_recall_dlg.h"
#include "client/memory/radio_memory_edit_dlg.h"
#include "client/memory/saving_memory_location_dlg.h"
#include "controls/stepped_value.h"
#include "memory_fixture.h"
#include "platform/message_service.h"
#include "tests/support/row_names.h"

namespace {

using Save = CSavingMemoryLocationDlg;

class MemoryDialogs : public MemoryWindowsFixture {
  protected:
    void SetUp() override {
        MemoryWindowsFixture::SetUp();
        panelWithCommands();
    }

    // Runs the save dialog on `record`; `step` works it from inside.
    int runSave(Save& dialog, const std::function<void()>& step) {
        driveModal(dialog, step);
        return dialog.exec();
    }
};

TEST_F(MemoryDialogs, SaveShowsEveryWordAndStoresTheControls) {
    RADIO_MEMORY_RECORD r = memory("", 14060000);
    r.snapshot[9] = 2;   // antenna 2
    r.snapshot[6] = 4;   // AGC slow
    r.snapshot[11] = 1;  // receive B
    r.snapshot[17] = 1;  // XIT on
    Save dialog(m_store, m_panel.get());
    dialog.SetMemoryRecord(0, r);
    std::vector<QString> shown;
    const int result = runSave(dialog, [&] {
        shown = {textOf(dialog.control(Save::IDC_VFOA)),
                 textOf(dialog.control(Save::IDC_VFOB)),
                 textOf(dialog.control(Save::IDC_POWER)),
                 textOf(dialog.control(Save::IDC_CW_SPEED)),
                 static_cast<SteppedValue*>(dialog.control(Save::IDC_ANTENNA))->text(),
                 combo(dialog.control(1136))->currentText(),
                 combo(dialog.control(1142))->currentText(),
                 combo(dialog.control(1177))->currentText(),
                 combo(dialog.control(1184))->currentText()};
        saveDialogShot(dialog, "memory-save.png");
        // Change each kind of control once.
        setText(dialog.control(Save::IDC_VFOA), "14060.01");
        setText(dialog.control(Save::IDC_VFOB), "7025");
        setText(dialog.control(Save::IDC_POWER), "2.3");
        setText(dialog.control(Save::IDC_CW_SPEED), "30");
        emit static_cast<SteppedValue*>(dialog.control(Save::IDC_ANTENNA))->stepped(1);
        combo(dialog.control(1136))->setCurrentIndex(4);  // CWR
        combo(dialog.control(1142))->setCurrentIndex(1);  // fast
        combo(dialog.control(1145))->setCurrentIndex(2);  // NB2
        combo(dialog.control(1173))->setCurrentIndex(1);  // TX B
        setText(dialog.control(Save::IDC_MEMORY_NAME), "Twenty");
        dialog.accept();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(shown, (std::vector<QString>{"  14060.00", "  14075.00", "   5.0", "25", "Ant 2",
                                           "USB", "Slow", "VFOB", "On"}));
    const RADIO_MEMORY_RECORD out = dialog.GetMemoryRecord();
    EXPECT_EQ(dialog.GetMemoryName(), "Twenty");
    const auto& w = out.snapshot;
    EXPECT_EQ(w[0], 14060010);
    EXPECT_EQ(w[1], 7025000);
    EXPECT_EQ(w[10], 23);
    EXPECT_EQ(w[8], 30);
    EXPECT_EQ(w[9], 1);
    EXPECT_EQ(w[2], 7);
    EXPECT_EQ(w[6], 2);
    EXPECT_EQ(w[7], 2);
    EXPECT_EQ(w[12], 1);
    // Carried through untouched.
    EXPECT_EQ(w[4], 700);
    EXPECT_EQ(w[15], -120);
    EXPECT_EQ(w[18], 6);
}

TEST_F(MemoryDialogs, ValuesOutsideTheListsSelectNothingAndStayAsTheyWere) {
    RADIO_MEMORY_RECORD r = memory("", 7000000);
    r.snapshot[2] = 4;  // no such mode
    r.snapshot[6] = 3;  // no such AGC
    Save dialog(m_store, m_panel.get());
    dialog.SetMemoryRecord(0, r);
    int modeIndex = 0;
    runSave(dialog, [&] {
        modeIndex = combo(dialog.control(1136))->currentIndex();
        dialog.accept();
    });
    EXPECT_EQ(modeIndex, -1);
    EXPECT_EQ(dialog.GetMemoryRecord().snapshot[2], 4);
    EXPECT_EQ(dialog.GetMemoryRecord().snapshot[6], 3);
}

struct RefusedCase {
    const char* name;
    int field;
    const char* text;
    const char* message;
};
ROW_NAME(RefusedCase, row.name);

const RefusedCase kRefused[] = {
    {"VfoAEmpty", Save::IDC_VFOA, "", "Invalid frequency"},
    {"VfoALetters", Save::IDC_VFOA, "abc", "Invalid frequency"},
    {"VfoANegative", Save::IDC_VFOA, "-5", "Invalid frequency"},
    {"VfoAAboveTheRange", Save::IDC_VFOA, "30000.01", "Invalid frequency"},
    {"VfoBEmpty", Save::IDC_VFOB, "", "Invalid frequency"},
    {"VfoBLetters", Save::IDC_VFOB, "abc", "Invalid frequency"},
    {"VfoBNegative", Save::IDC_VFOB, "-5", "Invalid frequency"},
    {"VfoBAboveTheRange", Save::IDC_VFOB, "30000.01", "Invalid frequency"},
    {"PowerAboveFifteen", Save::IDC_POWER, "15.1", "Invalid power"},
    {"PowerLetters", Save::IDC_POWER, "x", "Invalid power"},
    {"SpeedZero", Save::IDC_CW_SPEED, "0", "Invalid CW speed"},
    {"SpeedAboveHundred", Save::IDC_CW_SPEED, "101", "Invalid CW speed"},
    {"SpeedLetters", Save::IDC_CW_SPEED, "x", "Invalid CW speed"},
};

class SaveRefuses : public MemoryDialogs, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(SaveRefuses, ShowsTheMessageStaysOpenAndKeepsTheRecord) {
    const RefusedCase& row = GetParam();
    const RADIO_MEMORY_RECORD r = memory("", 7000000);
    Save dialog(m_store, m_panel.get());
    dialog.SetMemoryRecord(0, r);
    bool stillOpen = false;
    QWidget* focused = nullptr;
    const int result = runSave(dialog, [&] {
        setText(dialog.control(Save::IDC_MEMORY_NAME), "Name");
        setText(dialog.control(row.field), row.text);
        dialog.accept();
        stillOpen = dialog.isVisible();
        focused = dialog.focusWidget();
        dialog.reject();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, dialog.control(row.field));
    EXPECT_EQ(messages(), std::vector<std::string>{std::string("error\t") + row.message});
    EXPECT_EQ(dialog.GetMemoryRecord(), r);
    EXPECT_EQ(dialog.GetMemoryName(), "");
}

INSTANTIATE_TEST_SUITE_P(Rows, SaveRefuses, ::testing::ValuesIn(kRefused), CaseName());

TEST_F(MemoryDialogs, TheNameTakesAt79BytesOfWholeCharactersTypedOrPasted) {
    Save dialog(m_store, m_panel.get());
    dialog.SetMemoryRecord(0, memory("", 7000000));
    QString typed;
    QString pasted;
    QString middle;
    runSave(dialog, [&] {
        auto* name = qobject_cast<QLineEdit*>(dialog.control(Save::IDC_MEMORY_NAME));
        name->setFocus();
        // 78 bytes, then a two-byte character that would pass the limit.
        QTest::keyClicks(name, QString(78, QLatin1Char('a')));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        QStringLiteral("\u00e9"));
        QApplication::sendEvent(name, &press);
        typed = name->text();
        name->clear();
        QApplication::clipboard()->setText(QString(77, QLatin1Char('b')) +
                                           QStringLiteral("\u00e9\u00e9"));
        name->paste();
        pasted = name->text();
        // Typing in the middle of a full name never cuts its end.
        name->setCursorPosition(3);
        QTest::keyClicks(name, QStringLiteral("Z"));
        middle = name->text();
        dialog.reject();
    });
    EXPECT_EQ(typed, QString(78, QLatin1Char('a')));
    EXPECT_EQ(pasted, QString(77, QLatin1Char('b')) + QStringLiteral("\u00e9"));
    EXPECT_EQ(middle, pasted);
}

TEST_F(MemoryDialogs, EditingShowsTheNameReadOnly) {
    Save dialog(m_store, m_panel.get());
    dialog.SetMemoryRecord(1, memory("Forty", 7025000));
    dialog.SetMemoryName("Forty");
    QString title;
    bool readOnly = false;
    runSave(dialog, [&] {
        title = dialog.windowTitle();
        readOnly = qobject_cast<QLineEdit*>(dialog.control(Save::IDC_MEMORY_NAME))->isReadOnly();
        saveDialogShot(dialog, "memory-save-editing.png");
        dialog.reject();
    });
    EXPECT_EQ(title, "Editing Radio Memory Location");
    EXPECT_TRUE(readOnly);
}

// ---- Recall and edit lists ------------------------------------------------

// Under the panel at the wider of its own width and the panel's, though the
// dialog's size is fixed.
TEST_F(MemoryDialogs, RecallOpensUnderThePanelAtThePanelsWidth) {
    m_store.WriteWindowRect(10, 0, 730, 300);
    CMemoryRecallDlg dialog(*m_memories, m_store, m_panel.get());
    const int ownWidth = dialog.width();
    ASSERT_LT(ownWidth, 720);
    dialog.OnInitDialog();
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.frameGeometry().topLeft(), QPoint(10, 301));
    EXPECT_GE(dialog.frameGeometry().width(), 720);
    EXPECT_LE(dialog.frameGeometry().width(), 720 + 8);
}

TEST_F(MemoryDialogs, RecallListsMemoriesAndADoubleClickPicks) {
    ASSERT_EQ(m_memories->AddMemory(memory("Forty", 7025000)), 0u);
    ASSERT_EQ(m_memories->AddMemory(memory("Twenty", 14025000)), 0u);
    CMemoryRecallDlg dialog(*m_memories, m_store, m_panel.get());
    QStringList firstRow;
    driveModal(dialog, [&] {
        for (int c = 0; c < dialog.list()->columnCount(); ++c) {
            firstRow << dialog.list()->item(0, c)->text();
        }
        saveDialogShot(dialog, "memory-recall.png");
        dialog.list()->selectRow(1);
        emit dialog.list()->cellDoubleClicked(1, 0);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(firstRow, (QStringList{"Forty", "   7025.00", "  40M", "USB", "XFIL2", "No"}));
    EXPECT_EQ(dialog.m_nSelectedSlot, 1);
    EXPECT_EQ(dialog.m_strSelectedName, "Twenty");
}

class EditList : public MemoryDialogs {
  protected:
    void SetUp() override {
        MemoryDialogs::SetUp();
        ASSERT_EQ(m_memories->AddMemory(memory("Twin", 7025000)), 0u);
        ASSERT_EQ(m_memories->AddMemory(memory("Twin", 14025000)), 0u);
        ASSERT_EQ(m_memories->AddMemory(memory("Eighty", 3525000)), 0u);
        m_edit = std::make_unique<CRadioMemoryEditDlg>(*m_memories, m_store, m_panel.get());
        m_edit->OnInitDialog();
    }
    void TearDown() override {
        m_edit.reset();
        MemoryDialogs::TearDown();
    }
    QStringList column(int c) const {
        QStringList out;
        for (int r = 0; r < m_edit->list()->rowCount(); ++r) {
            out << m_edit->list()->item(r, c)->text();
        }
        return out;
    }
    std::unique_ptr<CRadioMemoryEditDlg> m_edit;
};

TEST_F(EditList, DeleteAsksAndNoKeepsTheMemory) {
    m_edit->list()->selectRow(1);
    MessageService::queueAnswers({false});
    m_edit->OnDelete();
    EXPECT_EQ(messages(), std::vector<std::string>{"question\tDeleting Memory \"Twin\"?\tNo"});
    EXPECT_EQ(m_memories->GetMemoryCount(), 3);
}

TEST_F(EditList, DeleteYesRemovesTheSelectedSlotOnly) {
    m_edit->show();
    saveDialogShot(*m_edit, "memory-edit.png");
    m_edit->list()->selectRow(1);
    MessageService::queueAnswers({true});
    m_edit->OnDelete();
    RADIO_MEMORY_RECORD left;
    EXPECT_EQ(m_memories->GetMemoryAt(0, left), 0u);
    EXPECT_NE(m_memories->GetMemoryAt(1, left), 0u);
    EXPECT_EQ(column(1), (QStringList{"   7025.00", "   3525.00"}));
}

TEST_F(EditList, DeleteWithoutASelectionAsksNothing) {
    m_edit->list()->clearSelection();
    m_edit->OnDelete();
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditList, EditingNbKeepsNameAndSlot) {
    m_edit->list()->selectRow(1);
    QObject::connect(m_edit.get(), &CRadioMemoryEditDlg::editorOpened, [](QDialog* editor) {
        driveModal(*editor, [editor] {
            auto& save = static_cast<Save&>(*editor);
            combo(save.control(1145))->setCurrentIndex(2);
            editor->accept();
        });
    });
    emit m_edit->list()->cellDoubleClicked(1, 0);
    RADIO_MEMORY_RECORD first;
    RADIO_MEMORY_RECORD second;
    ASSERT_EQ(m_memories->GetMemoryAt(0, first), 0u);
    ASSERT_EQ(m_memories->GetMemoryAt(1, second), 0u);
    EXPECT_EQ(first.snapshot[7], 1);
    EXPECT_EQ(second.snapshot[7], 2);
    EXPECT_EQ(second.Name(), "Twin");
    EXPECT_EQ(second.slot, 1);
    EXPECT_EQ(column(5), (QStringList{"NB1", "NB2", "NB1"}));
}

TEST_F(EditList, ShowsEverySetting) {
    EXPECT_EQ(column(0), (QStringList{"Twin", "Twin", "Eighty"}));
    QStringList row;
    for (int c = 0; c < m_edit->list()->columnCount(); ++c) {
        row << m_edit->list()->item(0, c)->text();
    }
    EXPECT_EQ(row, (QStringList{"Twin", "   7025.00", "USB", "XFIL2", "AFIL1", "NB1", "Off", "Off",
                                "Fast", "Off", "Off", "25", "   5.0W", "1"}));
}

}  // namespace
