#pragma once

#include <QString>

namespace report {

// The preview's zoom: 1.0 shows the page at its real size. It is held in
// tenths, so that stepping by 0.1 lands exactly on 0.2 and 2.0.
class ZoomFactor {
public:
    static constexpr int MinTenths = 2;
    static constexpr int MaxTenths = 20;
    static constexpr double DefaultSetting = 8;   // the "Scale" setting: zoom × 10

    explicit ZoomFactor(int tenths = static_cast<int>(DefaultSetting));

    // The "Scale" setting read as a number, rounded to one decimal of the
    // factor (halves to even). A setting outside 20 % .. 200 % (a damaged
    // store, "0", "abc") is pulled to the nearest limit, so the page never
    // shrinks to nothing.
    static ZoomFactor fromSetting(double scale);

    double factor() const { return m_tenths / 10.0; }
    int tenths() const { return m_tenths; }
    // What the "Scale" setting stores.
    double setting() const { return m_tenths; }
    // "80 %"
    QString percentText() const;

    // One step of 0.1; false, and unchanged, at the limit.
    bool stepUp();
    bool stepDown();

private:
    int m_tenths;
};

} // namespace report
