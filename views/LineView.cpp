#include "views/LineView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {
constexpr int kMargin = 2;
}

LineView::LineView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
}

void LineView::setLines(ReportLines lines) {
    m_lines = std::move(lines);
    m_lines.colours.resize(m_lines.texts.size(), LineColour::Blue);
    m_anchor = m_cursor = TextPos{};
    updateScrollBar();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    emit selectionChanged();
}

QString LineView::text() const {
    return m_lines.texts.join(QLatin1Char('\n'));
}

int LineView::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int LineView::visibleLines() const {
    return std::max(1, viewport()->height() / lineHeight());
}

int LineView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

void LineView::updateScrollBar() {
    const int page = visibleLines();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - page));
}

TextPos LineView::endOfText() const {
    if (m_lines.texts.isEmpty())
        return {};
    return {lineCount() - 1, int(m_lines.texts.last().size())};
}

TextPos LineView::clamp(TextPos pos) const {
    if (m_lines.texts.isEmpty())
        return {};
    if (pos.line < 0)
        return {};
    if (pos.line >= lineCount())
        return endOfText();
    pos.column = std::clamp(pos.column, 0, int(m_lines.texts[pos.line].size()));
    return pos;
}

void LineView::setSelection(TextPos anchor, TextPos cursor) {
    m_anchor = clamp(anchor);
    m_cursor = clamp(cursor);
    viewport()->update();
    emit selectionChanged();
}

void LineView::selectAll() {
    setSelection({}, endOfText());
}

void LineView::clearSelection() {
    setSelection(m_cursor, m_cursor);
}

QString LineView::selectedText() const {
    if (!hasSelection())
        return {};
    const TextPos a = selectionStart();
    const TextPos b = selectionEnd();
    const QStringList& t = m_lines.texts;
    if (a.line == b.line)
        return t[a.line].mid(a.column, b.column - a.column);
    qsizetype size = t[a.line].size() - a.column + 1 + b.column;
    for (int i = a.line + 1; i < b.line; ++i)
        size += t[i].size() + 1;
    QString out;
    out.reserve(size);
    out += QStringView(t[a.line]).mid(a.column);
    for (int i = a.line + 1; i < b.line; ++i) {
        out += QLatin1Char('\n');
        out += t[i];
    }
    out += QLatin1Char('\n');
    out += QStringView(t[b.line]).left(b.column);
    return out;
}

void LineView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

qreal LineView::xOf(const QString& line, int column) const {
    return kMargin + fontMetrics().horizontalAdvance(line.left(column));
}

int LineView::columnAt(const QString& line, qreal x) const {
    // The nearest boundary between characters.
    const QFontMetricsF fm(font());
    qreal previous = kMargin;
    for (int c = 1; c <= line.size(); ++c) {
        const qreal next = kMargin + fm.horizontalAdvance(line.left(c));
        if (x < (previous + next) / 2)
            return c - 1;
        previous = next;
    }
    return int(line.size());
}

TextPos LineView::posAt(const QPoint& point) const {
    if (m_lines.texts.isEmpty())
        return {};
    const int line = firstVisibleLine() + (point.y() < 0 ? -1 : point.y() / lineHeight());
    if (line < 0)
        return {};
    if (line >= lineCount())
        return endOfText();
    return {line, columnAt(m_lines.texts[line], point.x())};
}

void LineView::ensureVisible(int line) {
    QScrollBar* bar = verticalScrollBar();
    if (line < bar->value())
        bar->setValue(line);
    else if (line >= bar->value() + visibleLines())
        bar->setValue(line - visibleLines() + 1);
}

void LineView::moveCursor(TextPos pos, bool extend) {
    m_cursor = clamp(pos);
    if (!extend)
        m_anchor = m_cursor;
    ensureVisible(m_cursor.line);
    viewport()->update();
    emit selectionChanged();
}

void LineView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QFontMetrics fm = fontMetrics();
    const int lh = lineHeight();
    const int first = firstVisibleLine();
    const int last = std::min(lineCount() - 1, first + viewport()->height() / lh + 1);
    const TextPos a = selectionStart();
    const TextPos b = selectionEnd();
    const bool selecting = hasSelection();
    const QPalette& pal = palette();
    const QColor highlight =
        pal.color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
    const QColor highlighted =
        pal.color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText);
    for (int i = first; i <= last; ++i) {
        const QString& line = m_lines.texts[i];
        const int top = (i - first) * lh;
        const int baseline = top + fm.ascent();
        p.setPen(ColourOf(m_lines.colours[size_t(i)]));
        p.drawText(kMargin, baseline, line);
        if (!selecting || i < a.line || i > b.line)
            continue;
        const int from = i == a.line ? a.column : 0;
        const int to = i == b.line ? b.column : int(line.size());
        const qreal x0 = xOf(line, from);
        qreal x1 = xOf(line, to);
        if (i < b.line)
            x1 += fm.horizontalAdvance(QLatin1Char(' ')); // the selected line break
        if (x1 <= x0)
            continue;
        p.fillRect(QRectF(x0, top, x1 - x0, lh), highlight);
        p.setPen(highlighted);
        p.drawText(QPointF(x0, baseline), line.mid(from, to - from));
    }
}

void LineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void LineView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBar();
}

void LineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_dragging = true;
    moveCursor(posAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void LineView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls on.
    if (point.y() < 0)
        verticalScrollBar()->setValue(firstVisibleLine() - 1);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->setValue(firstVisibleLine() + 1);
    moveCursor(posAt(point), true);
}

void LineView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    else
        QAbstractScrollArea::mouseReleaseEvent(event);
}

void LineView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // A double click selects the word under the mouse.
    const TextPos pos = posAt(event->position().toPoint());
    if (m_lines.texts.isEmpty())
        return;
    const QString& line = m_lines.texts[pos.line];
    auto isWord = [&](int c) { return c >= 0 && c < line.size() && !line[c].isSpace(); };
    int from = pos.column, to = pos.column;
    while (isWord(from - 1))
        --from;
    while (isWord(to))
        ++to;
    setSelection({pos.line, from}, {pos.line, to});
}

void LineView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::SelectAll)
        return selectAll();
    if (event == QKeySequence::Copy)
        return copy();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    TextPos pos = m_cursor;
    const int page = visibleLines();
    auto lineLength = [&](int line) {
        return line >= 0 && line < lineCount() ? int(m_lines.texts[line].size()) : 0;
    };
    switch (event->key()) {
    case Qt::Key_Up:
        pos.line -= 1;
        break;
    case Qt::Key_Down:
        if (pos.line + 1 >= lineCount())
            pos = endOfText();
        else
            pos.line += 1;
        break;
    case Qt::Key_PageUp:
        pos.line = std::max(0, pos.line - page);
        verticalScrollBar()->setValue(firstVisibleLine() - page);
        break;
    case Qt::Key_PageDown:
        pos.line = std::min(lineCount() - 1, pos.line + page);
        verticalScrollBar()->setValue(firstVisibleLine() + page);
        break;
    case Qt::Key_Left:
        if (pos.column > 0)
            --pos.column;
        else if (pos.line > 0)
            pos = {pos.line - 1, lineLength(pos.line - 1)};
        break;
    case Qt::Key_Right:
        if (pos.column < lineLength(pos.line))
            ++pos.column;
        else if (pos.line + 1 < lineCount())
            pos = {pos.line + 1, 0};
        break;
    case Qt::Key_Home:
        pos = ctrl ? TextPos{} : TextPos{pos.line, 0};
        break;
    case Qt::Key_End:
        pos = ctrl ? endOfText() : TextPos{pos.line, lineLength(pos.line)};
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    moveCursor(pos, extend);
}
