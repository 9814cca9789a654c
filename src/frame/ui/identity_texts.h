#pragma once
// The identity texts and picture the splash box and the About box show.
#include <string>

class QPixmap;

namespace k45 {

struct AppState;

struct IdentityTexts {
    std::string title;        // file description
    std::string revision;     // "Revision 3.02.00"
    std::string partNumber;   // partNumberText
    std::string copyright;
    std::string companyName;  // none in this build's version information: shown empty
    std::string productName;  // the About box's caption
};

IdentityTexts MakeIdentityTexts(const AppState& state);

// The program's picture, drawn (side length in pixels).
QPixmap ProgramPicture(int size);

}  // namespace k45
