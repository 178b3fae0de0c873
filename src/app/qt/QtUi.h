#pragma once
// The Ui port as Qt message boxes and file dialogs. Notices go through the notice board: one
// box open at a time, opened with open() so that no box ever runs a loop of its own, shown
// as plain text whatever it says.
#include <QPointer>
#include <QWidget>

#include "base/EventLoop.h"
#include "base/NoticeBoard.h"
#include "base/Ui.h"

class QMessageBox;

namespace pm {

class QtUi : public Ui, private NoticePresenter {
  public:
    explicit QtUi(EventLoop& loop);
    ~QtUi() override;
    QtUi(const QtUi&) = delete;
    QtUi& operator=(const QtUi&) = delete;

    void SetMainWindow(QWidget* window);
    void Notice(std::string_view text, std::string_view caption, Icon icon, Owner owner) override;
    void EventNotice(std::string_view text, std::string_view caption, Icon icon,
                     Owner owner) override;
    bool AskOkCancel(std::string_view text, std::string_view caption, Icon icon) override;
    bool OpenUrl(const std::string& url) override;
    bool OpenFile(const std::string& path) override;
    std::optional<std::string> ChooseOpenFile(std::string_view proposedName,
                                              const std::vector<FileFilter>& filters) override;
    std::optional<std::string> ChooseSaveFile(std::string_view proposedName,
                                              const std::vector<FileFilter>& filters) override;

    // The box open now, nullptr when none.
    QMessageBox* OpenMessageBox() const { return box_; }
    const NoticeBoard& Board() const { return board_; }
    // Runs Qt's loop until every notice has been closed (the program ends before its window
    // opens).
    void ShowRemainingNotices();

  private:
    void OpenBox(const QueuedNotice& notice) override;
    void UpdateBox(const QueuedNotice& notice) override;
    QWidget* OwnerWidget(Owner owner) const;

    NoticeBoard board_;
    QPointer<QWidget> main_;
    bool mainSet_ = false;
    QMessageBox* box_ = nullptr;
};

}  // namespace pm
