// Gallery pictures of the LED displays, the marquee and the clock.

#include "controls/digi_clock.h"
#include "controls/digi_marquee.h"
#include "controls/digi_static.h"
#include "controls/gallery.h"

#include <QTime>

namespace {

void showDisplay(Gallery& gallery, const QString& name, const QString& text, DWORD style, int width,
                 int height) {
    CDigiStatic display;
    display.ModifyDigiStyle(~style, style);
    display.SetText(text);
    display.resize(width, height);
    gallery.save(display, name);
}

}  // namespace

void renderLedGallery(Gallery& gallery) {
    const DWORD normal = DIGI_KEEPASPECT | DIGI_SOFTEDGE;

    showDisplay(gallery, QStringLiteral("led_7seg_straight"), QStringLiteral("0123456789 -"),
                normal, 360, 50);
    showDisplay(gallery, QStringLiteral("led_7seg_curved"), QStringLiteral("0123456789 -"),
                normal | DIGI_CURVED, 360, 50);
    showDisplay(gallery, QStringLiteral("led_14seg_digits_straight"),
                QStringLiteral("0123456789 -"), normal | DIGI_DIGITS14, 360, 50);
    showDisplay(gallery, QStringLiteral("led_14seg_digits_curved"), QStringLiteral("0123456789 -"),
                normal | DIGI_DIGITS14 | DIGI_CURVED, 360, 50);
    showDisplay(gallery, QStringLiteral("led_14seg_letters_straight"),
                QStringLiteral("ABCDEFGHIJKLM"), normal, 390, 50);
    showDisplay(gallery, QStringLiteral("led_14seg_letters_curved"),
                QStringLiteral("NOPQRSTUVWXYZ"), normal | DIGI_CURVED, 390, 50);
    showDisplay(gallery, QStringLiteral("led_signs"), QStringLiteral("*+()\\/'.:"), normal, 300,
                50);
    showDisplay(gallery, QStringLiteral("led_keepaspect"), QStringLiteral("12:34.5"), normal, 300,
                80);
    showDisplay(gallery, QStringLiteral("led_stretched"), QStringLiteral("12:34.5"), DIGI_SOFTEDGE,
                300, 80);
    showDisplay(gallery, QStringLiteral("led_litonly"), QStringLiteral("14.025.00"),
                normal | DIGI_LITONLY, 300, 50);
    showDisplay(gallery, QStringLiteral("led_softedge"), QStringLiteral("88"), normal, 120, 100);
    showDisplay(gallery, QStringLiteral("led_hardedge"), QStringLiteral("88"), DIGI_KEEPASPECT, 120,
                100);
    showDisplay(gallery, QStringLiteral("led_empty"), QString(), normal, 120, 40);

    // The front panel's banner and status line at their dialog sizes.
    showDisplay(gallery, QStringLiteral("led_banner"), QStringLiteral("ELECRAFT"),
                normal | DIGI_CURVED, 198, 49);

    CDigiMarquee marquee;
    marquee.ModifyDigiStyle(DIGI_DIGITS14, DIGI_CURVED | DIGI_LITONLY);
    marquee.SetDisplayChars(35);
    marquee.SetScrollText(QStringLiteral("VFO A 14.025.00 CW AGC FAST NB OFF"));
    marquee.EnableScrolling(true);
    marquee.resize(226, 28);
    gallery.save(marquee, QStringLiteral("marquee_start"));
    for (int i = 0; i < 5; ++i) {
        marquee.OnTimer();
    }
    gallery.save(marquee, QStringLiteral("marquee_after_5_ticks"));

    CDigiClock clock;
    clock.SetTimeSource([] { return QTime(12, 34, 56); });
    clock.resize(200, 40);
    gallery.save(clock, QStringLiteral("clock_start"));
    for (int i = 0; i < 3; ++i) {
        clock.OnTimer();
    }
    gallery.save(clock, QStringLiteral("clock_after_3_ticks"));
    clock.SetAlarm(true);
    clock.OnTimer();  // tick 4: the time
    clock.OnTimer();  // tick 5: the blank phase
    gallery.save(clock, QStringLiteral("clock_alarm_blank"));
}
