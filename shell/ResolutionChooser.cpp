#include "shell/ResolutionChooser.h"

#include <algorithm>

#include "shell/Menus.h"

namespace {

using platform::ScreenSize;

// The usual sizes of monitors and televisions, offered where they fit the desktop (full screen shows
// a size the display has no mode for in its shape, scaled).
const ScreenSize kUsualSizes[] = {{3840, 2160}, {2560, 1440}, {2560, 1080}, {1920, 1200}, {1920, 1080},
                                  {1680, 1050}, {1600, 900},  {1366, 768},  {1280, 1024}, {1280, 720}};
const ScreenSize kDesignSizes[] = {{1024, 768}, {800, 600}};
// The radio button of each design size.
const char* const kDesignButtons[] = {"1024", "800"};

bool Same(const ScreenSize& a, const ScreenSize& b) {
    return a.Width == b.Width && a.Height == b.Height;
}

TMyRadioButton* Radio(TGUI& gui, const char* name) {
    TMyForm* form = gui.FindForm("Options");
    return form != nullptr ? form->FindWidgetAs<TMyRadioButton>(name) : nullptr;
}

}  // namespace

std::vector<ScreenSize> TResolutionChooser::Offered(int desktopWidth, int desktopHeight,
                                                    const std::vector<ScreenSize>& modes) {
    std::vector<ScreenSize> others;
    const auto add = [&](const ScreenSize& size) {
        const bool fits = size.Width <= desktopWidth && size.Height <= desktopHeight;
        const bool desktop = size.Width == desktopWidth && size.Height == desktopHeight;
        const bool known = std::any_of(others.begin(), others.end(),
                                       [&](const ScreenSize& other) { return Same(other, size); });
        if (fits && !desktop && !known && size.Width >= 640 && size.Height >= 480) {
            others.push_back(size);
        }
    };
    for (const ScreenSize& mode : modes) {
        add(mode);
    }
    for (const ScreenSize& size : kUsualSizes) {
        add(size);
    }
    std::sort(others.begin(), others.end(), [](const ScreenSize& a, const ScreenSize& b) {
        const long long areaA = 1LL * a.Width * a.Height;
        const long long areaB = 1LL * b.Width * b.Height;
        return areaA != areaB ? areaA > areaB : a.Width > b.Width;
    });
    std::vector<ScreenSize> sizes;
    if (desktopWidth > 0 && desktopHeight > 0) {
        sizes.push_back({desktopWidth, desktopHeight});
    }
    sizes.insert(sizes.end(), others.begin(), others.end());
    for (const ScreenSize& size : kDesignSizes) {
        if (std::none_of(sizes.begin(), sizes.end(), [&](const ScreenSize& s) { return Same(s, size); })) {
            sizes.push_back(size);
        }
    }
    return sizes;
}

int TResolutionChooser::IndexOf(int width, int height) const {
    for (size_t i = 0; i < Sizes_.size(); ++i) {
        if (Sizes_[i].Width == width && Sizes_[i].Height == height) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TResolutionChooser::Label(TGUI& gui) const {
    if (Sizes_.empty()) {
        return;
    }
    const ScreenSize& size = Sizes_[static_cast<size_t>(Index_)];
    std::string text = std::to_string(size.Width) + "x" + std::to_string(size.Height);
    if (Index_ == 0 && !DesktopMark_.empty()) {
        text += " " + DesktopMark_;
    }
    SetWidgetText(gui, "Options", "Mode", text);
    for (size_t i = 0; i < std::size(kDesignSizes); ++i) {
        if (TMyRadioButton* radio = Radio(gui, kDesignButtons[i])) {
            radio->Ticked = Same(size, kDesignSizes[i]);
        }
    }
}

void TResolutionChooser::Show(TGUI& gui, int width, int height, const std::string& desktopMark) {
    DesktopMark_ = desktopMark;
    Index_ = IndexOf(width, height);
    if (Index_ < 0) {
        Sizes_.push_back({width, height});
        Index_ = static_cast<int>(Sizes_.size()) - 1;
    }
    Label(gui);
}

void TResolutionChooser::Step(TGUI& gui, int by) {
    if (Sizes_.empty()) {
        return;
    }
    const int count = static_cast<int>(Sizes_.size());
    Index_ = ((Index_ + by) % count + count) % count;
    Label(gui);
}

void TResolutionChooser::Follow(TGUI& gui) {
    for (size_t i = 0; i < std::size(kDesignSizes); ++i) {
        TMyRadioButton* radio = Radio(gui, kDesignButtons[i]);
        const int index = IndexOf(kDesignSizes[i].Width, kDesignSizes[i].Height);
        if (radio != nullptr && radio->Ticked && index >= 0 && index != Index_) {
            Index_ = index;
            Label(gui);
        }
    }
}

ScreenSize TResolutionChooser::Chosen(TGUI& gui) const {
    for (size_t i = 0; i < std::size(kDesignSizes); ++i) {
        if (TMyRadioButton* radio = Radio(gui, kDesignButtons[i]); radio != nullptr && radio->Ticked) {
            return kDesignSizes[i];
        }
    }
    return Sizes_.empty() ? ScreenSize{} : Sizes_[static_cast<size_t>(Index_)];
}
