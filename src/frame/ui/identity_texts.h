#pragma once
// The identity texts and picture the splash box and the About box show.
#include <string>

class QFrame;
class QLabel;
class QPixmap;
class QVBoxLayout;
class QWidget;

namespace k45 {

struct ModeFlags;

struct IdentityTexts {
    std::string title;        // file description
    std::string revision;     // "Revision 3.02.00"
    std::string partNumber;   // partNumberText
    std::string copyright;
    std::string companyName;  // none in this build's version information: shown empty
    std::string productName;  // the About box's caption
};

IdentityTexts MakeIdentityTexts(const ModeFlags& modes);

// The program's picture, drawn (side length in pixels).
QPixmap ProgramPicture(int size);

// The identity block both boxes show: a sunken frame with the picture on the left and the
// five labels beside it.
struct IdentityLook {
    int pictureSize;
    int margin;         // inside the frame, and between the picture and the texts
    double titleScale;  // of the title's font
    // Between the part number and the copyright: a stretch, or this fixed gap when not 0.
    int gap;
};

struct IdentityBlock {
    QFrame* frame = nullptr;
    QLabel* image = nullptr;
    QLabel* labelTitle = nullptr;
    QLabel* labelRevision = nullptr;
    QLabel* labelPartNumber = nullptr;
    QLabel* labelCopyright = nullptr;
    QLabel* labelCompanyName = nullptr;
};

// Builds the block into box (added to outer) and fills the labels from texts.
IdentityBlock BuildIdentityBlock(QWidget* box, QVBoxLayout* outer, const char* frameName, const char* imageName,
                                 const IdentityLook& look, const IdentityTexts& texts);

}  // namespace k45
