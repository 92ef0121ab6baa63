#include "settings/setup/SetupWindowView.h"

#include "platform/style/DesignStyle.h"
#include "settings/setup/SetupChecklist.h"
#include "views/Divider.h"
#include "views/Spacing.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace gaugelet {

namespace {
using Colour = DesignStyle::Colour;
using Style = DesignStyle::TextStyle;
} // namespace

SetupWindowView::SetupWindowView(std::function<void()> onContinue, QWidget* parent)
    : QWidget(parent), m_onContinue(std::move(onContinue))
{
    setFixedWidth(fixedWidth);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto* title = new QLabel(tr("Set up Gaugelet"), this);
    title->setObjectName(QStringLiteral("setup.windowTitle"));
    title->setTextFormat(Qt::PlainText);
    title->setAlignment(Qt::AlignCenter);
    m_title = title;
    stack->addSpacing(Spacing::px(Spacing::Step::xxl));
    stack->addWidget(title);
    stack->addSpacing(Spacing::px(Spacing::Step::xl));

    m_checklist = new SetupChecklist(this);
    auto* checklistRow = new QHBoxLayout;
    checklistRow->setContentsMargins(Spacing::margins(Spacing::Step::xxxl, Spacing::Step::none));
    checklistRow->addWidget(m_checklist);
    stack->addLayout(checklistRow);

    stack->addStretch(1);
    stack->addSpacing(Spacing::px(Spacing::Step::l));

    stack->addWidget(new Divider(this));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(Spacing::margins(Spacing::Step::xl));
    buttons->addStretch(1);
    m_continue = new QPushButton(tr("Continue"), this);
    m_continue->setObjectName(QStringLiteral("setup.continue"));
    m_continue->setDefault(true);
    m_continue->setAutoDefault(false);
    m_continue->setCursor(Qt::PointingHandCursor);
    buttons->addWidget(m_continue);
    stack->addLayout(buttons);

    connect(m_continue, &QPushButton::clicked, this, [this] {
        if (m_onContinue)
            m_onContinue();
    });
    // Return (and the keypad's Enter) is the window's default action, wherever the focus is.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_continue, &QPushButton::click);
    }
    restyle();
    fitHeight();
}

int SetupWindowView::fittedHeight() const
{
    const QLayout* stack = layout();
    const int content =
        stack->hasHeightForWidth() ? stack->totalHeightForWidth(fixedWidth) : stack->totalSizeHint().height();
    return content + SetupChecklist::heroHeight - m_checklist->heroesShownHeight();
}

void SetupWindowView::fitHeight()
{
    const int height = fittedHeight();
    if (minimumHeight() != height || maximumHeight() != height)
        setFixedHeight(height);
}

bool SetupWindowView::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The content's size hint changed (a font, a status text).
    if (event->type() == QEvent::LayoutRequest)
        fitHeight();
    return handled;
}

void SetupWindowView::restyle()
{
    QFont titleFont = DesignStyle::font(Style::title3);
    titleFont.setBold(true);
    m_title->setFont(titleFont);

    // Prominent, large, rounded: the accent colour filled behind the title.
    const QColor accent = DesignStyle::colour(Colour::accent, this);
    const QColor text = palette().color(QPalette::HighlightedText);
    m_continue->setFont(DesignStyle::font(Style::body));
    m_continue->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: none; border-radius: 6px;"
                       " padding: 6px 18px; min-height: 18px; }"
                       "QPushButton:hover { background-color: %3; }"
                       "QPushButton:pressed { background-color: %4; }"
                       "QPushButton:focus { outline: none; }")
            .arg(accent.name(QColor::HexArgb), text.name(QColor::HexArgb), accent.lighter(108).name(QColor::HexArgb),
                 accent.darker(115).name(QColor::HexArgb)));
}

void SetupWindowView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        restyle();
        fitHeight();
    }
}

void SetupWindowView::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter p(this);
    p.fillRect(rect(), DesignStyle::colour(Colour::underPageBackground, this));
}

} // namespace gaugelet
