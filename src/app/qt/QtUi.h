#pragma once
// The Ui port as Qt message boxes and file dialogs. Notices are shown after the current
// handler returns, so a box's nested event loop never interrupts a merge half done.
#include <QPointer>
#include <QWidget>

#include "base/Ui.h"

namespace pm {

class QtUi : public Ui {
  public:
    void SetMainWindow(QWidget* window) { main_ = window; }
    void Notice(std::string_view text, std::string_view caption, Icon icon, Owner owner) override;
    bool AskOkCancel(std::string_view text, std::string_view caption, Icon icon) override;
    bool OpenUrl(const std::string& url) override;
    bool OpenFile(const std::string& path) override;
    std::optional<std::string> ChooseOpenFile(std::string_view proposedName,
                                              const std::vector<FileFilter>& filters) override;
    std::optional<std::string> ChooseSaveFile(std::string_view proposedName,
                                              const std::vector<FileFilter>& filters) override;

    // Shows notices at once instead of queueing them (tests that inspect boxes).
    void SetImmediate(bool immediate) { immediate_ = immediate; }

  private:
    QWidget* OwnerWidget(Owner owner) const;
    QPointer<QWidget> main_;
    bool immediate_ = false;
};

}  // namespace pm
