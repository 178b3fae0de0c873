#pragma once
// The edit behind every password field: text reaches it only by typing. No paste (Ctrl+V,
// Shift+Insert, the context menu, the X11 middle-click selection), no selection by
// double-click or dragging.
#include <QLineEdit>

namespace pm {

class CMyEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CMyEdit(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace pm
