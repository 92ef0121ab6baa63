#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace gaugelet {

// A titled row around any content: the title and, small at the trailing end,
// an identifier; the content below, as wide as the row. Both texts are shown
// as they are.
class ConfigRow : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of content (may be nullptr: an empty view).
    ConfigRow(const QString& title, const QString& id, QWidget* content, QWidget* parent = nullptr);

    QString title() const { return m_titleText; }
    QString id() const { return m_id; }
    QWidget* content() const { return m_content; }
    QLabel* titleLabel() const { return m_title; }
    QLabel* idLabel() const { return m_idLabel; }

private:
    // The row's key and title as given, not as the labels show them.
    QString m_titleText;
    QString m_id;
    QLabel* m_title = nullptr;
    QLabel* m_idLabel = nullptr;
    QWidget* m_content = nullptr;
};

} // namespace gaugelet
