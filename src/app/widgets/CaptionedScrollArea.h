#pragma once

#include <QScrollArea>

#include <utility>
#include <vector>

class QLabel;

// A scroll area with a strip of column captions above its viewport. The captions stay
// in view when the page scrolls down and follow it sideways, each standing over the
// left edge of the control of its column (a control on the page, followed through
// every layout and resize). The strip is as high as the tallest caption plus its
// margins; the captions stand on its bottom margin. A footer may stand under the
// viewport, as wide as it, in view however the page scrolls.
// Use: make the captions with captionStrip() as parent, setWidget(page), then
// standOver() each caption.
// A screen reader finds the strip, and the captions in it, before the viewport, and the
// footer after it.
class CaptionedScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit CaptionedScrollArea(QWidget *parent = nullptr);

    QWidget *captionStrip() const { return m_strip; }
    // Room above and below the captions inside the strip.
    void setCaptionMargins(int top, int bottom);
    void standOver(QLabel *caption, QWidget *column);
    // Fits the strip to the captions now, as after a change of their font; a shown
    // strip does so by itself.
    void fitCaptions();
    int stripHeight() const { return viewportMargins().top(); }
    // Puts `footer` under the viewport, `indent` pixels in from its left edge, at its own
    // height (which it keeps fixed).
    void setFooter(QWidget *footer, int indent);
    QWidget *footer() const { return m_footer; }
    int footerHeight() const { return viewportMargins().bottom(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override; // the viewport's

private:
    bool isColumn(const QObject *object) const;

    QWidget *m_strip;
    QWidget *m_footer = nullptr;
    int m_footerIndent = 0;
    int m_topMargin = 0;
    int m_bottomMargin = 0;
    std::vector<std::pair<QLabel *, QWidget *>> m_captions;
};
