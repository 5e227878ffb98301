#include "zorvel/widgets/images.h"

#include "zorvel/resources/resource.h"

namespace widgets {

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        if (handle_) DeleteObject(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Bitmap::~Bitmap() {
    if (handle_) DeleteObject(handle_);
}

Bitmap Bitmap::FromResource(int id) {
    return Bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

Bitmap Bitmap::FromResource(int id, Scale scale) {
    const int percent = PictureScalePercent(scale);
    const int offset = percent == 200 ? IDB_SCALED_200 : percent == 150 ? IDB_SCALED_150 : 0;
    if (offset) {
        Bitmap larger = FromResource(id + offset);
        if (larger) return larger;
    }
    return FromResource(id);
}

Bitmap Bitmap::FromFile(const wchar_t* path) {
    return Bitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

SIZE Bitmap::Size() const {
    BITMAP info{};
    if (handle_) GetObjectW(handle_, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

COLORREF Bitmap::Pixel(int x, int y) const {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handle_);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

void StripList::AddSquareStrips(Bitmap bitmap) {
    const int height = bitmap ? static_cast<int>(bitmap.Size().cy) : 0;
    Add(std::move(bitmap), 4 * height);
}

void StripList::Add(Bitmap bitmap, int imageWidth) {
    if (!bitmap) return;
    SIZE size = bitmap.Size();
    if (imageWidth <= 0 || imageWidth > size.cx) imageWidth = size.cx;
    int index = static_cast<int>(bitmaps_.size());
    for (int x = 0; x + imageWidth <= size.cx; x += imageWidth)
        images_.push_back(Image{index, x, imageWidth, size.cy, bitmap.Pixel(x, size.cy - 1)});
    bitmaps_.push_back(std::move(bitmap));
}

int StripList::ImageWidth(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<std::size_t>(index)].width : 0;
}

int StripList::Height(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<std::size_t>(index)].height : 0;
}

void StripList::Draw(HDC dc, int index, int frame, int x, int y) const {
    if (index < 0 || index >= Count() || frame < 0 || frame > 3) return;
    const Image& image = images_[static_cast<std::size_t>(index)];
    int frameWidth = image.width / 4;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmaps_[static_cast<std::size_t>(image.bitmap)]);
    TransparentBlt(dc, x, y, frameWidth, image.height, source, image.x + frame * frameWidth, 0, frameWidth,
                   image.height, image.transparent);
    SelectObject(source, old);
    DeleteDC(source);
}

ImageList::~ImageList() {
    if (handle_) ImageList_Destroy(handle_);
}

bool ImageList::Load(const Bitmap& bitmap) {
    const int size = bitmap ? static_cast<int>(bitmap.Size().cy) : 0;
    return size > 0 && Load(bitmap, size, size);
}

int ImageList::ImageSize() const {
    int width = 0, height = 0;
    if (handle_) ImageList_GetIconSize(handle_, &width, &height);
    return height;
}

bool ImageList::Load(const Bitmap& bitmap, int width, int height) {
    if (handle_) ImageList_Destroy(handle_);
    handle_ = nullptr;
    if (!bitmap) return false;
    SIZE size = bitmap.Size();
    handle_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, size.cx / width, 0);
    if (!handle_) return false;
    // ImageList_AddMasked changes the bitmap it is given, so it gets a copy.
    HBITMAP copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ImageList_AddMasked(handle_, copy, bitmap.Pixel(0, size.cy - 1));
    DeleteObject(copy);
    return true;
}

}  // namespace widgets
