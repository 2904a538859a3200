#include "platform/forms/ImageList.h"

#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace platform {

ImageList::ImageList(Form& form, std::string name)
    : Control(form, ControlKind::ImageList, std::move(name)) {
    setTabStop(false);
}

bool ImageList::contains(const std::string& key) const {
    for (auto& [k, p] : images_)
        if (equalsIgnoreCase(k, key)) return true;
    return false;
}

void ImageList::add(const std::string& key, PicturePtr picture) {
    if (!key.empty() && contains(key)) throw RuntimeError(35602, "Key is not unique in collection");
    images_.emplace_back(key, std::move(picture));
}

PicturePtr ImageList::ListImage(const std::string& key) const {
    for (auto& [k, p] : images_)
        if (equalsIgnoreCase(k, key)) return p;
    throw RuntimeError(35601, "Element not found");
}

PicturePtr ImageList::ListImage(int position) const {
    if (position < 1 || position > Count()) throw RuntimeError(35600, "Index out of bounds");
    return images_[static_cast<size_t>(position - 1)].second;
}

}  // namespace platform
