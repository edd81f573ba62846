#pragma once

#include <QObject>

namespace qm {

// The notification-area icon component. Holds the state the rest of the window sets
// (visibility, icon index, animation); the icon itself is shown through QSystemTrayIcon.
class TCoolTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TCoolTrayIcon(QObject* parent = nullptr) : QObject(parent) {}

    bool IconVisible() const { return m_visible; }
    void SetIconVisible(bool visible) { m_visible = visible; }
    int IconIndex() const { return m_iconIndex; }
    void SetIconIndex(int index) { m_iconIndex = index; }
    bool CycleIcons() const { return m_cycle; }
    void SetCycleIcons(bool cycle) { m_cycle = cycle; }

private:
    bool m_visible = true;
    int m_iconIndex = 0;
    bool m_cycle = false;
};

} // namespace qm
