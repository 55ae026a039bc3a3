#pragma once

// MemoryCommands: the front panel's memory and stacking-register commands
// (right-click menu and Alt+F1 - Alt+F4): save and recall a stacking
// register, save, recall and edit memories. Built by the application object
// once the panel and the memory store exist; Install fills the panel's five
// memory entry points.
//
// Results go to the panel's status line: kStatusNormal for what was done,
// kStatusError for a store error or a recall the server refused. A recall while the panel
// is not connected steps the ring and sends nothing.
//
// GUI thread only.

#include <functional>
#include <string>

class CK2FrontPanelControlDlg;
class CK2MemoryCfg;
struct DownloadOutcome;
struct PanelCommandEntryPoints;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class QDialog;

class MemoryCommands {
  public:
    static constexpr const char* kNameNotUnique = "Memory Name is Not Unique!";

    // None is owned; all outlive this object.
    MemoryCommands(CK2MemoryCfg& memories, pelorin::CRegistryStore& store,
                   CK2FrontPanelControlDlg& panel);

    void Install(PanelCommandEntryPoints& entryPoints);

    void SaveStackRegister();
    void RecallStackRegister();
    void SaveMemory();
    void RecallMemory();
    void EditMemory();

    // Runs for every dialog a command opens, before it runs (tests drive the
    // modal dialogs from here).
    void SetDialogHook(std::function<void(QDialog&)> hook) { m_dialogHook = std::move(hook); }

  private:
    // The status text of a recall, by what became of its download: the
    // recall's own text, or "<recall> not sent: <words>" for a refusal.
    void ShowRecall(const std::string& recall, const DownloadOutcome& outcome);
    void Opened(QDialog& dialog);

    CK2MemoryCfg& m_memories;
    pelorin::CRegistryStore& m_store;
    CK2FrontPanelControlDlg& m_panel;
    std::function<void(QDialog&)> m_dialogHook;
};
