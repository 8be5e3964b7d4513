// Embedded objects of the rich edit control. Linux has no object linking and embedding,
// so an object is a picture in the document: the picture file itself, or for any other
// file an icon with the file's name. Either is an image resource of the document, so
// the RTF writer saves it as a picture and Clear drops it with the text.
#pragma once
#include <QImage>
#include <QString>

class QTextCursor;
class QTextDocument;

class TEmbeddedObjects {
public:
    // Inserts the file at the cursor (replacing its selection) as one undoable step.
    // Throws Platform::EFOpenError when the file cannot be read.
    void Embed(QTextCursor& cursor, const QString& fileName);

    // Whether the selection is exactly one embedded object.
    static bool SelectionIsObject(const QTextCursor& cursor);

    // The picture that stands for a file that is not a picture: icon and name.
    static QImage FileIconPicture(const QString& fileName);

private:
    QString NextResourceName(const QString& fileName);
    int FNextId = 0;
};
