// TPreview2: the second preview window, "next page". It shows the page after
// the main preview window's page and sits at that window's right edge.
#pragma once
#include <QWidget>

#include "preview/PreviewLayout.h"

class QFrame;
class QLabel;
class QScrollArea;

namespace Print {

class TPageImage;
class TRichPreviewForm;

class TPreview2 : public QWidget {
    Q_OBJECT
public:
    TPreview2(TRichPreviewForm* mainWindow, double pageAspect);

    QScrollArea* ScrollBox1 = nullptr;
    TPageImage* Image1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label4 = nullptr; // "Page number:"
    QLabel* Label5 = nullptr; // the page number

    // Takes the main window's size and the bounds of its page, and moves beside it.
    void FormActivate();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate(double pageAspect);
    void FormKeyDown();

    TRichPreviewForm* FMain;
};

} // namespace Print
