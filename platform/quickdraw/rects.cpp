#include "QuickDraw.h"

#include <algorithm>

extern "C" {

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom)
{
    r->left = left;
    r->top = top;
    r->right = right;
    r->bottom = bottom;
}

void OffsetRect(Rect* r, SInt16 dh, SInt16 dv)
{
    r->left = static_cast<SInt16>(r->left + dh);
    r->right = static_cast<SInt16>(r->right + dh);
    r->top = static_cast<SInt16>(r->top + dv);
    r->bottom = static_cast<SInt16>(r->bottom + dv);
}

void InsetRect(Rect* r, SInt16 dh, SInt16 dv)
{
    r->left = static_cast<SInt16>(r->left + dh);
    r->right = static_cast<SInt16>(r->right - dh);
    r->top = static_cast<SInt16>(r->top + dv);
    r->bottom = static_cast<SInt16>(r->bottom - dv);
    if (r->left >= r->right || r->top >= r->bottom) *r = Rect{0, 0, 0, 0};
}

Boolean EmptyRect(const Rect* r)
{
    return r->left >= r->right || r->top >= r->bottom;
}

Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect)
{
    Rect theResult{std::max(src1->top, src2->top), std::max(src1->left, src2->left),
                   std::min(src1->bottom, src2->bottom), std::min(src1->right, src2->right)};
    if (EmptyRect(&theResult)) theResult = Rect{0, 0, 0, 0};
    *dstRect = theResult;
    return !EmptyRect(&theResult);
}

void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect)
{
    *dstRect = Rect{std::min(src1->top, src2->top), std::min(src1->left, src2->left),
                    std::max(src1->bottom, src2->bottom), std::max(src1->right, src2->right)};
}

Boolean PtInRect(Point pt, const Rect* r)
{
    return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

Boolean EqualRect(const Rect* rect1, const Rect* rect2)
{
    return rect1->top == rect2->top && rect1->left == rect2->left && rect1->bottom == rect2->bottom &&
           rect1->right == rect2->right;
}

void SetPt(Point* pt, SInt16 h, SInt16 v)
{
    pt->h = h;
    pt->v = v;
}

} // extern "C"
