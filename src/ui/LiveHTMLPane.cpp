#include "ui/LiveHTMLPane.h"

#include "tag/AppletTag.h"
#include "views/ScreenText.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace zarn {

namespace {

// Lines ending inside a tag, or inside a quoted value of one, carry that on to the next line.
enum TLineState { InText = 0, InTag = 1, InDoubleQuoted = 2, InSingleQuoted = 3 };

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char(':') ||
           c == QLatin1Char('.');
}

QTextCharFormat Format(const QColor& color, bool bold = false) {
    QTextCharFormat format;
    format.setForeground(color);
    if (bold)
        format.setFontWeight(QFont::Bold);
    return format;
}

} // namespace

THTMLHighlighter::THTMLHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document), TagFormat(Format(QColor(0x1f, 0x4e, 0x9c), true)),
      AttributeFormat(Format(QColor(0x9a, 0x4a, 0x00))), ValueFormat(Format(QColor(0x1a, 0x7f, 0x37))),
      EntityFormat(Format(QColor(0x8b, 0x2f, 0xa0))) {}

void THTMLHighlighter::highlightBlock(const QString& text) {
    int state = std::max(0, previousBlockState());
    const int size = int(text.size());
    bool afterEquals = false;
    int i = 0;
    auto entityAt = [&](int at) {
        int end = at + 1;
        while (end < size && (text[end].isLetterOrNumber() || text[end] == QLatin1Char('#')))
            ++end;
        return end < size && end > at + 1 && text[end] == QLatin1Char(';') ? end + 1 - at : 0;
    };
    while (i < size) {
        const QChar c = text[i];
        if (state == InDoubleQuoted || state == InSingleQuoted) {
            const QChar quote = state == InDoubleQuoted ? QLatin1Char('"') : QLatin1Char('\'');
            int end = int(text.indexOf(quote, i));
            const int stop = end < 0 ? size : end + 1;
            setFormat(i, stop - i, ValueFormat);
            for (int at = i; at < stop; ++at)
                if (text[at] == QLatin1Char('&'))
                    if (int length = entityAt(at))
                        setFormat(at, length, EntityFormat);
            i = stop;
            if (end >= 0)
                state = InTag;
            continue;
        }
        if (state == InText) {
            if (c == QLatin1Char('<')) {
                int end = i + 1;
                if (end < size && (text[end] == QLatin1Char('/') || text[end] == QLatin1Char('!')))
                    ++end;
                while (end < size && IsNameChar(text[end]))
                    ++end;
                setFormat(i, end - i, TagFormat);
                i = end;
                state = InTag;
                afterEquals = false;
            } else if (c == QLatin1Char('&')) {
                const int length = entityAt(i);
                if (length)
                    setFormat(i, length, EntityFormat);
                i += std::max(1, length);
            } else {
                ++i;
            }
            continue;
        }
        // In a tag.
        if (c == QLatin1Char('>') ||
            (c == QLatin1Char('/') && i + 1 < size && text[i + 1] == QLatin1Char('>'))) {
            const int length = c == QLatin1Char('>') ? 1 : 2;
            setFormat(i, length, TagFormat);
            i += length;
            state = InText;
        } else if (c == QLatin1Char('=')) {
            afterEquals = true;
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            state = c == QLatin1Char('"') ? InDoubleQuoted : InSingleQuoted;
            setFormat(i, 1, ValueFormat);
            ++i;
            afterEquals = false;
        } else if (c.isSpace()) {
            ++i;
        } else {
            int end = i + 1;
            if (afterEquals) {
                while (end < size && !text[end].isSpace() && text[end] != QLatin1Char('>'))
                    ++end;
            } else {
                while (end < size && IsNameChar(text[end]))
                    ++end;
            }
            setFormat(i, end - i, afterEquals ? ValueFormat : AttributeFormat);
            afterEquals = false;
            i = end;
        }
    }
    setCurrentBlockState(state);
}

TLiveHTMLPane::TLiveHTMLPane(std::function<TJavaAppletTag*()> document, QWidget* parent)
    : QDockWidget(QStringLiteral("Live HTML"), parent), document_(std::move(document)) {
    setObjectName(QStringLiteral("LiveHTMLPane"));
    toggleViewAction()->setObjectName(QStringLiteral("ViewLiveHTMLItem"));
    toggleViewAction()->setText(QStringLiteral("&Live HTML"));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("LiveHTMLSplitter"));
    splitter->setChildrenCollapsible(false);
    Code = new QPlainTextEdit(splitter);
    Code->setObjectName(QStringLiteral("LiveHTMLCode"));
    Code->setReadOnly(true);
    Code->setLineWrapMode(QPlainTextEdit::NoWrap);
    Code->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Code->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Code->setAccessibleName(QStringLiteral("Applet block"));
    // Each compile replaces the text; an undo history of it would only grow.
    Code->setUndoRedoEnabled(false);
    highlighter_ = new THTMLHighlighter(Code->document());

    auto* lower = new QWidget(splitter);
    lower->setObjectName(QStringLiteral("LiveHTMLLower"));
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 4, 0, 0);
    lowerLayout->setSpacing(2);
    WarningsLabel = new QLabel(lower);
    WarningsLabel->setObjectName(QStringLiteral("LiveHTMLWarningsLabel"));
    Warnings = new QListWidget(lower);
    Warnings->setObjectName(QStringLiteral("LiveHTMLWarnings"));
    Warnings->setUniformItemSizes(true);
    Warnings->setIconSize(QSize(16, 16));
    WarningsLabel->setBuddy(Warnings);
    lowerLayout->addWidget(WarningsLabel);
    lowerLayout->addWidget(Warnings, 1);
    splitter->addWidget(Code);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    // Small enough that a short pane leaves the form most of the window: three lines of the block,
    // two warnings.
    const int line = Code->fontMetrics().lineSpacing();
    Code->setMinimumHeight(3 * line + 2 * Code->frameWidth() + 4);
    Warnings->setMinimumHeight(2 * Warnings->fontMetrics().lineSpacing() + 2 * Warnings->frameWidth() + 4);
    setWidget(splitter);

    UpdateTimer = new QTimer(this);
    UpdateTimer->setObjectName(QStringLiteral("LiveHTMLTimer"));
    UpdateTimer->setSingleShot(true);
    UpdateTimer->setInterval(UpdateDelayMs);
    connect(UpdateTimer, &QTimer::timeout, this, &TLiveHTMLPane::UpdateNow);
    connect(Warnings, &QListWidget::itemClicked, this, &TLiveHTMLPane::ChooseItem);
    connect(Warnings, &QListWidget::itemActivated, this, &TLiveHTMLPane::ChooseItem);
    // A hidden pane does no work; it catches up when it comes back.
    connect(toggleViewAction(), &QAction::toggled, this, [this](bool shown) {
        if (shown)
            UpdateNow();
    });
    ShowLook();
}

void TLiveHTMLPane::Schedule() {
    if (!isHidden())
        UpdateTimer->start();
}

void TLiveHTMLPane::Reload() {
    look_ = {};
    if (isHidden()) {
        UpdateTimer->stop();
        ShowLook();
        return;
    }
    UpdateNow();
}

void TLiveHTMLPane::UpdateNow() {
    UpdateTimer->stop();
    TJavaAppletTag* tag = document_ ? document_() : nullptr;
    look_ = tag ? LookAtBlock(*tag) : TBlockLook{};
    ShowLook();
}

void TLiveHTMLPane::ShowLook() {
    const QString code = DisplayLines(look_.code);
    // Unchanged text keeps its highlighting and the reader's place.
    if (code != Code->toPlainText()) {
        const int scrolled = Code->verticalScrollBar()->value();
        const int across = Code->horizontalScrollBar()->value();
        // An edit changes a line or two: only those are replaced, so only they are highlighted again.
        const QStringList now = code.split(QLatin1Char('\n'));
        const QStringList before = Code->toPlainText().split(QLatin1Char('\n'));
        qsizetype first = 0;
        while (first < now.size() && first < before.size() && now[first] == before[first])
            ++first;
        qsizetype tail = 0;
        while (tail < now.size() - first && tail < before.size() - first &&
               now[now.size() - 1 - tail] == before[before.size() - 1 - tail])
            ++tail;
        QTextDocument* document = Code->document();
        if (first + tail >= now.size() || first + tail >= before.size()) {
            // Lines only added or only taken away: the whole text, which is rare.
            Code->setPlainText(code);
            Code->verticalScrollBar()->setValue(scrolled);
            Code->horizontalScrollBar()->setValue(across);
            ShowWarnings();
            return;
        }
        QTextCursor cursor(document);
        cursor.setPosition(document->findBlockByNumber(int(first)).position());
        const QTextBlock last = document->findBlockByNumber(int(before.size() - 1 - tail));
        cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(now.mid(first, now.size() - first - tail).join(QLatin1Char('\n')));
        Code->verticalScrollBar()->setValue(scrolled);
        Code->horizontalScrollBar()->setValue(across);
    }
    ShowWarnings();
}

void TLiveHTMLPane::ShowWarnings() {
    Warnings->clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon failure = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    for (std::size_t i = 0; i < look_.warnings.size(); ++i) {
        const TBlockWarning& entry = look_.warnings[i];
        auto* item = new QListWidgetItem(entry.kind == TBlockWarningKind::CompileFailed ? failure : warning,
                                         FromAnsi(entry.text), Warnings);
        item->setData(Qt::UserRole, int(i));
        item->setToolTip(item->text());
    }
    const qsizetype count = Warnings->count();
    WarningsLabel->setText(count == 0 ? QStringLiteral("&Warnings: none")
                                      : QStringLiteral("&Warnings (%1)").arg(count));
}

void TLiveHTMLPane::ChooseItem(QListWidgetItem* item) {
    if (!item)
        return;
    const int index = item->data(Qt::UserRole).toInt();
    // A failed compile has no one place to show.
    if (index >= 0 && std::size_t(index) < look_.warnings.size() &&
        look_.warnings[std::size_t(index)].kind != TBlockWarningKind::CompileFailed)
        emit WarningChosen(look_.warnings[std::size_t(index)].param,
                           look_.warnings[std::size_t(index)].basic);
}

} // namespace zarn
