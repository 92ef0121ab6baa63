#include "store/views/StoreTextLabel.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>

namespace gaugelet {

StoreTextLabel::StoreTextLabel(const QString& text, const QFont& font, DesignStyle::Colour colour, QWidget* parent)
    : QLabel(parent), m_colour(colour)
{
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(font);
    applyColour();
}

QFont StoreTextLabel::mediumFont()
{
    QFont font = DesignStyle::font(DesignStyle::TextStyle::body);
    font.setWeight(QFont::Medium);
    return font;
}

QFont StoreTextLabel::monospacedCaption2()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(DesignStyle::font(DesignStyle::TextStyle::caption2).pointSizeF());
    return font;
}

StoreTextLabel::IdentityLines StoreTextLabel::identityLines(const QString& name, const QString& author,
                                                            const QString& id, QWidget* parent)
{
    const IdentityLines lines{
        new StoreTextLabel(name, mediumFont(), DesignStyle::Colour::primary, parent),
        new StoreTextLabel(tr("by %1").arg(author), DesignStyle::font(DesignStyle::TextStyle::caption2),
                           DesignStyle::Colour::secondary, parent),
        new StoreTextLabel(id, monospacedCaption2(), DesignStyle::Colour::tertiary, parent),
    };
    lines.name->setObjectName(QStringLiteral("name"));
    lines.author->setObjectName(QStringLiteral("author"));
    lines.id->setObjectName(QStringLiteral("id"));
    lines.id->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (StoreTextLabel* label : {lines.name, lines.author, lines.id})
        label->setMinimumWidth(1);
    return lines;
}

void StoreTextLabel::applyColour()
{
    const QPalette base = parentWidget() ? parentWidget()->palette() : QApplication::palette();
    // Only the text colour is our own; every other role keeps following the
    // parent, whose changes reach us as palette changes.
    QPalette own;
    own.setColor(QPalette::WindowText, DesignStyle::colour(m_colour, base));
    m_applying = true;
    setPalette(own);
    m_applying = false;
}

void StoreTextLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) && !m_applying)
        applyColour();
}

} // namespace gaugelet
