#pragma once

#include "menubar/Pin.h"
#include "menubar/TagSpec.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace gaugelet {

class SharedTagColorRows;
class StatProvider;
class TagStylingRows;

// The editor of the pin that puts one provider's runner sprite in the menu
// bar: whether its name tag and value show, the provider's menu-bar tag text,
// and under "Customize" the labels' colours and placement. Its state is
// loaded once, when it is made; nothing is written until the user edits.
class PinnedSpriteEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr int maxTagLength = 10;

    PinnedSpriteEditor(const Pin& pin, const StatProvider& provider, QWidget* parent = nullptr);

    const Pin& pin() const { return m_pin; }
    QString tagText() const { return m_tagText; }
    bool nameShown() const { return m_name.shown; }
    bool valueShown() const { return m_value.shown; }
    bool customizeOpen() const;

    // The user's edits.
    void setNameShown(bool shown);
    void setValueShown(bool shown);
    void setCustomizeOpen(bool open);
    // Runs on every change of the tag field's text: cuts it to ten
    // characters (grapheme clusters), then stores the trimmed text as the
    // provider's tag override, or removes the override when the trimmed text
    // is empty or the short name.
    void applyTagText(const QString& text);

    // The first n user-perceived characters of a text, and their count.
    static QString leadingGraphemes(const QString& text, qsizetype n);
    static qsizetype graphemeCount(const QString& text);
    // Spaces (any space separator) and tabs taken off both ends; line breaks stay.
    static QString trimmedSpacesAndTabs(const QString& text);

    QCheckBox* nameToggle() const { return m_name.toggle; }
    QCheckBox* valueToggle() const { return m_value.toggle; }
    QToolButton* customizeButton() const { return m_disclosure; }
    QLineEdit* tagField() const { return m_field; }
    SharedTagColorRows* colorRows() const { return m_colorRows; }
    TagStylingRows* nameRows() const { return m_name.rows; }
    TagStylingRows* valueRows() const { return m_value.rows; }
    QLabel* styleHint() const { return m_hint; }

private:
    // One of the two labels beside the sprite: its switch, and its placement
    // block while it shows.
    struct Label {
        TagSpec::Namespace ns;
        QString title;
        bool shown = false;
        QCheckBox* toggle = nullptr;
        TagStylingRows* rows = nullptr;
    };

    void setShown(Label& label, bool shown);
    void rebuildStyling();

    Pin m_pin;
    const StatProvider& m_provider;
    QString m_tagText;
    Label m_name{TagSpec::Namespace::tag, tr("Name tag")};
    Label m_value{TagSpec::Namespace::value, tr("Value (%)")};

    QToolButton* m_disclosure = nullptr;
    QWidget* m_content = nullptr;
    QLineEdit* m_field = nullptr;
    QWidget* m_styling = nullptr;
    SharedTagColorRows* m_colorRows = nullptr;
    QLabel* m_hint = nullptr;
};

} // namespace gaugelet
