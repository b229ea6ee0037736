// Tessaron on a scaled display: each tray icon is the image drawn for the
// size the tray asks for, and no text in a dialog or a page of setup is
// wider than its control.  With TESSARON_SHOTS set, the tray and the
// Options dialog at 150 percent are saved as tray-150.png and
// dialog-options-150.png.
#include "driver.h"

#include "commands.h"
#include "icoart.h"
#include "resource.h"

#include <algorithm>

namespace {

// ---------------------------------------------------------------- the display
// The DPI, the size of the tray's icons there (SM_CXSMICON), and how many
// of their rows Wine's tray masks right.  Wine 8's shell hands its tray the
// mask as width x height bits rounded to a 16-bit word, while the mask
// keeps each row in whole 16-bit words: a 20- or 24-pixel row takes 32
// bits, so only the first 12 of 20 rows and 18 of 24 get their own mask,
// and the rows below show what lies after it.  Only the rows masked right
// are compared.
struct Scale {
    int dpi;
    int iconSize;
    int rowsMaskedRight;
};
const Scale Scales[] = {{96, 16, 16}, {120, 20, 12}, {144, 24, 18}, {192, 32, 32}};

const Scale &CurrentScale()
{
    for (const Scale &scale : Scales)
        if (scale.dpi == ScreenDpi())
            return scale;
    Fail("no row for %d DPI", ScreenDpi());
}

// ---------------------------------------------------------------- the art
const char *const ArtFiles[] = {"main", "explorer", "quickaccess", "scandisk", "defrag", "drivespace", "agent",
                                "backup"};

std::string ArtText(const std::string &file)
{
    std::string path = "Z:" ICON_ART_DIR "/" + file + ".txt";
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return ReadFileOrFail(path);
}

// The screen's pixels in this rectangle, 0xRRGGBB, row by row.
std::vector<uint32_t> ScreenPixels(const RECT &area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels((const uint32_t *)bits, (const uint32_t *)bits + width * height);
    for (uint32_t &p : pixels)
        p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The right end of Wine's taskbar, where its tray shows this many icons,
// and the tray's background (its top left corner, beside and above them).
struct TrayPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t background = 0;
};

TrayPicture PictureOfTray(int icons, int iconSize)
{
    TrayPicture picture;
    RECT area = {};
    if (HWND taskbar = WineTaskbar())
        GetWindowRect(taskbar, &area);
    area.left = std::max(area.left, area.right - icons * (iconSize + 4) - 16);
    picture.width = area.right - area.left;
    picture.height = area.bottom - area.top;
    if (picture.width > 0 && picture.height > 0) {
        picture.pixels = ScreenPixels(area);
        picture.background = picture.pixels[0];
    }
    return picture;
}

// The best share of equal pixels that the image reaches anywhere on the
// picture, over its first rows, transparent pixels showing the background.
double BestShareEqual(const TrayPicture &picture, const icoart::Image &image, const icoart::Palette &palette,
                      int rows)
{
    double best = 0;
    for (int top = 0; top + image.size <= picture.height; top++)
        for (int left = 0; left + image.size <= picture.width; left++) {
            int equal = 0;
            for (int y = 0; y < rows; y++)
                for (int x = 0; x < image.size; x++) {
                    int key = image.pixels[y * image.size + x];
                    equal += picture.pixels[(top + y) * picture.width + left + x] ==
                             (key < 0 ? picture.background : palette.rgb[key]);
                }
            best = std::max(best, (double)equal / (rows * image.size));
        }
    return best;
}

// ---------------------------------------------------------------- texts
// The client width a control leaves its text, as Wine's controls lay it
// out: a push button's 3-D frame, a check box's or radio button's box and
// the gap after it (half the width of a "0"), a group box's indent; 0 for
// a control whose text is not a label (an edit field, an icon, a frame).
int TextRoom(const Control &control, int width)
{
    if (control.className == "Static") {
        DWORD kind = control.style & SS_TYPEMASK;
        return kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT ? width : 0;
    }
    if (control.className != "Button")
        return 0;
    switch (control.style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return width - 4;
    case BS_GROUPBOX:
        return width - 15;
    default:
        return width - (12 * ScreenDpi() / 96 + 1) - DialogTextExtent("0").cx / 2 - 1;
    }
}

// The texts found cut so far, each with its width and its control's.
std::string CutTexts;

// Every label and button text of the dialog on one line within its
// control (those that are not are added to CutTexts), and the dialog as
// large as its template says in the dialog units of the programs' font (so
// that this is the font it shows).
void CheckTextsFit(HWND dialog, int width, int height)
{
    RECT client = DialogClientUnits(dialog);
    CHECK_EQ(client.right, (LONG)width);
    CHECK_EQ(client.bottom, (LONG)height);
    std::vector<Control> controls = DialogControls(dialog);
    for (size_t i = 0; i < controls.size(); i++) {
        const Control &control = controls[i];
        int room = TextRoom(control, control.pixels.right - control.pixels.left);
        // A check box that shows no text of its own holds the words of the
        // label just before it, which shows them (and is measured).
        bool hidden = i > 0 && control.className == "Button" && controls[i - 1].className == "Static" &&
                      controls[i - 1].text == control.text;
        if (control.text.empty() || room == 0 || hidden)
            continue;
        int needed = DialogTextExtent(control.text).cx;
        Step("  %d \"%s\": %d of %d pixels", (control.id & 0xFFFF) == 0xFFFF ? -1 : control.id,
             control.text.c_str(), needed, room);
        if (needed > room)
            CutTexts += " \"" + control.text + "\" (" + std::to_string(needed) + " pixels in " +
                        std::to_string(room) + ")";
    }
}

// Opens a dialog of Tessaron with this command and checks it.
HWND OpenAndCheck(const Program &tessaron, int command, int control, int width, int height)
{
    Step("command %d", command);
    PostCommand(tessaron, command);
    HWND dialog = WaitDialogWith(tessaron, control);
    CheckTextsFit(dialog, width, height);
    return dialog;
}

// Opens a nested dialog with its owner's button, checks it and cancels it.
void CheckNested(const Program &tessaron, HWND owner, int button, int control, int width, int height)
{
    Step("button %d", button);
    ClickButton(owner, button);
    HWND dialog = WaitDialogWith(tessaron, control);
    CheckTextsFit(dialog, width, height);
    PressButton(dialog, IDCANCEL);
}

}  // namespace

SCENARIO_DPI(scale_tray_icons_drawn_for_the_tray_size, "96 120 144 192")
{
    const Scale &scale = CurrentScale();
    CHECK_EQ(GetSystemMetrics(SM_CXSMICON), scale.iconSize);
    icoart::Palette palette;
    std::string error;
    if (!icoart::ParsePalette(ArtText("palette"), "palette.txt", &palette, &error))
        Fail("%s", error.c_str());
    std::vector<icoart::Art> arts;
    for (const char *file : ArtFiles) {
        arts.emplace_back();
        if (!icoart::ParseArt(ArtText(file), file, palette, &arts.back(), &error))
            Fail("%s", error.c_str());
    }

    WriteSettings({"[Tessaron]", "iShowDefragmentIcon = YES", "iShowScanIcon = YES", "iShowExplorerIcon = YES",
                   "iShowBackupIcon = YES", "iShowDriveSpaceIcon = YES", "iShowCompressionAgentIcon = YES"});
    Program tessaron = StartTessaron();
    WaitTrayCalls(8);
    Step("each of the eight icons is its %dx%d art (rows 1 to %d)", scale.iconSize, scale.iconSize,
         scale.rowsMaskedRight);
    // Each art's best place on the tray, waited for while the tray paints.
    std::vector<double> best(arts.size());
    auto allShown = [&] {
        TrayPicture picture = PictureOfTray((int)arts.size(), scale.iconSize);
        for (size_t i = 0; i < arts.size(); i++)
            best[i] = BestShareEqual(picture, arts[i].Of(scale.iconSize), palette, scale.rowsMaskedRight);
        return *std::min_element(best.begin(), best.end()) >= 0.99;
    };
    bool shown = WaitFor(allShown);
    for (size_t i = 0; i < arts.size(); i++)
        Step("  %s: %.1f%% of the pixels equal", ArtFiles[i], best[i] * 100);
    CHECK(shown);
    if (scale.dpi == 144)
        SaveTrayScreenshot("tray-150.png", 8, 2);
    ExitTessaron(tessaron);
}

SCENARIO_DPI(scale_dialog_texts_fit_their_controls, "120 144 192")
{
    // The harness's stand-in for the NT family's scalable dialog face.
    CHECK_TEXT(DialogFontFace(), "Liberation Sans");
    UseWindowsVersion("win10");
    Program tessaron = StartTessaron();
    PressButton(OpenAndCheck(tessaron, CmdAbout, IDC_ABOUT_TEXT, 160, 64), IDOK);
    PressButton(OpenAndCheck(tessaron, CmdOpenPath, IDC_OPENPATH_PATH, 195, 89), IDCANCEL);
    HWND options = OpenAndCheck(tessaron, CmdOptions, IDC_OPTIONS_TOOLLOCATIONS, 167, 209);
    if (ScreenDpi() == 144)
        SaveWindowScreenshot(options, "dialog-options-150.png");
    CheckNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER, 252, 145);
    PressButton(options, IDCANCEL);
    HWND maintenance = OpenAndCheck(tessaron, CmdMaintenance, IDC_MAINT_SCANSETTINGS, 257, 97);
    CheckNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_STARTSTOP, 180, 114);
    CheckNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL, 179, 200);
    PressButton(maintenance, IDCANCEL);
    ExitTessaron(tessaron);

    Step("setup's pages, installing into C:\\Tessaron");
    Program setup = StartProgram("\"" + BuildFile("dist") + "\\setup.exe\"", BuildFile("dist"));
    for (int height : {145, 145, 143}) {
        HWND page = WaitDialog("Setup");
        CheckTextsFit(page, 249, height);
        PressButton(page, IDOK);
    }
    CheckMessageBox("You must close all applications and restart your computer to activate Tessaron.", {IDOK}, IDOK,
                    "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);
    if (!CutTexts.empty())
        Fail("cut at %d DPI:%s", ScreenDpi(), CutTexts.c_str());
}
