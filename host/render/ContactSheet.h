// A picture of a few frames of each transition side by side: a row per transition, labelled.
#pragma once

#include "QuickDraw.h"

#include <string>
#include <vector>

class ContactSheet {
public:
    // theColumnTitles head the columns; each row gets its title on the left.
    ContactSheet(const std::vector<std::string>& theRowTitles, const std::vector<std::string>& theColumnTitles,
                 SInt16 theCellWidth, SInt16 theCellHeight);
    ~ContactSheet();
    ContactSheet(const ContactSheet&) = delete;
    ContactSheet& operator=(const ContactSheet&) = delete;

    bool IsReady() const { return mSheet != nullptr; }
    // Scales theFrame into the cell.
    void PlaceFrame(size_t theRow, size_t theColumn, GWorldPtr theFrame);
    // Writes a PNG at thePath, replacing nothing until it is complete.
    bool Write(const std::string& thePath, std::string& outError);

private:
    Rect CellRect(size_t theRow, size_t theColumn) const;
    void DrawTitles(const std::vector<std::string>& theRowTitles, const std::vector<std::string>& theColumnTitles);

    SInt16 mCellWidth, mCellHeight;
    GWorldPtr mSheet = nullptr;
};
