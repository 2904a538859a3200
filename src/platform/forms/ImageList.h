// ImageList: pictures under text keys (and by 1-based position), for other
// controls and the form's icon. Not drawn itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"

namespace platform {

class ImageList : public Control {
public:
    ImageList(Form& form, std::string name);

    // Adds a picture; a key already present raises RuntimeError 35602
    // ("Key is not unique in collection").
    void add(const std::string& key, PicturePtr picture);
    // The picture under `key` (compared without regard to case); a missing
    // key raises RuntimeError 35601 ("Element not found").
    PicturePtr ListImage(const std::string& key) const;
    // 1-based, as the collection counts.
    PicturePtr ListImage(int position) const;
    bool contains(const std::string& key) const;
    int Count() const { return static_cast<int>(images_.size()); }
    void Clear() { images_.clear(); }

private:
    std::vector<std::pair<std::string, PicturePtr>> images_;
};

}  // namespace platform
