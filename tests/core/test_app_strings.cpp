// The string table: every numbered text the windows and messages use, exactly.
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QtTest>

using namespace wobbin;

namespace {

struct Expected
{
    int id;
    QString text;
};

// Texts that must be reproduced character for character (doubled apostrophes,
// double blanks, leading and trailing blanks included).
const QList<Expected> &ExactTexts()
{
    static const QList<Expected> list{
        {0, QStringLiteral("Next >&>")},
        {1, QStringLiteral("&<< Back")},
        {2, QStringLiteral("&Advanced")},
        {3, QStringLiteral("&Finish")},
        {4, QStringLiteral("&Yes")},
        {5, QStringLiteral("&No")},
        {6, QStringLiteral("&OK")},
        {7, QStringLiteral("&Cancel")},
        {8, QStringLiteral("&Help")},
        {9, QStringLiteral("&Delete")},
        {13, QStringLiteral("Left")},
        {14, QStringLiteral("Center")},
        {15, QStringLiteral("Right")},
        {17, QStringLiteral("6 (Thickest)")},
        {18, QStringLiteral("5 (Thicker)")},
        {19, QStringLiteral("4 (Thick)")},
        {20, QStringLiteral("3 (Thin)")},
        {21, QStringLiteral("2 (Thinner)")},
        {22, QStringLiteral("1 (Thinnest)")},
        {23, QStringLiteral("1 (Largest)")},
        {24, QStringLiteral("2 (Larger)")},
        {25, QStringLiteral("3 (Large)")},
        {26, QStringLiteral("4 (Small)")},
        {27, QStringLiteral("5 (Smaller)")},
        {28, QStringLiteral("6 (Smallest)")},
        {30, QStringLiteral("Don''t show this screen again.")},
        {31, QStringLiteral("[None]")},
        {32, QStringLiteral("Arial")},
        {33, QStringLiteral("Untitled")},
        {34, QStringLiteral("You must first save the current document before uploading to a Web Server.")},
        {35, QStringLiteral("You need to choose a Web Server to upload your files to.")},
        {100, QStringLiteral("Before continuing, you will need to save the Wobbin Express File.")},
        {101, QStringLiteral("Before continuing, you will need to save changes to the Wobbin Express File.")},
        {102, QStringLiteral("You have made changes to your HTML. If you go back now, you will lose these changes. Do you want to go back?")},
        {103, QStringLiteral("Do you want to save the changes to your Wobbin Express File?")},
        {104, QStringLiteral("Wobbin Express Version 1.0 Document")},
        {200, QStringLiteral("Uploading Files to Web Server")},
        {201, QStringLiteral("Upload Progress:")},
        {202, QStringLiteral("FTP Status:")},
        {203, QStringLiteral("Connection to Web Server cancelled.")},
        {204, QStringLiteral("Connecting to ")},
        {205, QStringLiteral("Couldn''t change to the specified directory.")},
        {206, QStringLiteral("Please check your directory details and try again.")},
        {207, QStringLiteral("Uploading files to Web Server...")},
        {208, QStringLiteral("An error has occurred uploading the files to your Web server.")},
        {209, QStringLiteral("Disconnecting from Web Server...")},
        {210, QStringLiteral("Disconnected from Web Server.")},
        {211, QStringLiteral("Upload Completed.")},
        {212, QStringLiteral("Couldn't log in.  Please check that the Login and Password are correct.")},
        {505, QStringLiteral("Modify a Style.")},
        {506, QStringLiteral("Add new Style to the Style list.")},
        {507, QStringLiteral("Delete a Style from the Style list.")},
        {509, QStringLiteral("Background Properties")},
        {512, QStringLiteral("Clear Image")},
        {513, QStringLiteral("Document Text")},
        {514, QStringLiteral("Active Link")},
        {515, QStringLiteral("Visited Link")},
        {516, QStringLiteral("Standard Link")},
        {521, QStringLiteral("Please select a Style to edit before continuing.")},
        {522, QStringLiteral("Sorry. You must give this Style a name before you can add it to your Style List.")},
        {523, QStringLiteral("Do you want to save the changes to your Style List?")},
        {524, QStringLiteral("Style List Changed")},
        {525, QStringLiteral("Text/Link Colours")},
        {600, QStringLiteral("This Wizard aids you in the construction of a server list. This list is used to allow you to easily transfer your files to the internet.")},
        {601, QStringLiteral("A Server is a computer that is connected to the internet. This is the computer that you ''Logon'' to when you are surfing. Apart from this, there is nothing all that special about a Server. ")},
        {602, QStringLiteral("If you don''t know the address of your server, or are confused by all this terminology, then press the HELP button. ")},
        {603, QStringLiteral("Add new server details to the server list.")},
        {604, QStringLiteral("Modify server settings.")},
        {605, QStringLiteral("Delete a server from the server list.")},
        {607, QStringLiteral("Enter a description for your Server e.g. My Web Server")},
        {608, QStringLiteral("Enter your password. (given to you by your ISP)")},
        {609, QStringLiteral("Enter your ''Login'' name. This name is supplied to you by your Internet Service Provider. (ISP)")},
        {610, QStringLiteral("Select Internet Service Provider")},
        {611, QStringLiteral("Advanced Server Details")},
        {612, QStringLiteral("Enter the Directory that your server looks in for your HTML files. (Usually www or public_html)")},
        {613, QStringLiteral("Full URL for your Web Site:")},
        {614, QStringLiteral("To edit a server in the list below, select  the server and then click the Next button. The order of the servers in the list below, will be the same in as the Server List in \"Upload to Host\"")},
        {615, QStringLiteral("To delete a server in the list below, select  the server and then click on the DELETE button. The order of the servers in the list below, will be the same in as the Server List in \"Upload to Host\"")},
        {616, QStringLiteral("Click FINISH to return to Wobbin Express.")},
        {617, QStringLiteral("To modify the address of the Server, select a server, and click NEXT")},
        {618, QStringLiteral("Do you want to save the changes to your WWW Server List?")},
        {619, QStringLiteral("WWW Server List Changed")},
        {620, QStringLiteral("Please enter a valid description for your server.")},
        {621, QStringLiteral("Please enter a valid address for your server.")},
        {622, QStringLiteral("Please enter a valid login name for your server.")},
        {623, QStringLiteral("Please enter your GeoCities member name:")},
        {624, QStringLiteral("Please enter your GeoCities password:")},
        {625, QStringLiteral("'Please enter the name of your GeoCities neighbourhood: (e.g. SoHo/Studios)")},
        {626, QStringLiteral("Please enter your GeoCities address: (e.g. 2564)")},
        {627, QStringLiteral("Wobbin Express comes preconfigured to work with a number of Internet Service Providers. By selecting your ISP from the list below, we can take care of most of those confusing upload details for you.")},
        {628, QStringLiteral("If you can't see your  ISP in the list below, choose 'Common' (the first item in the list).  Wobbin Express will try to configure your details to work with most common ISP configurations.")},
        {629, QStringLiteral("Common")},
        {699, QStringLiteral("Edit WWW Server List Wizard")},
        {700, QStringLiteral("File Save Information")},
        {701, QStringLiteral("If this is your first Web Page, and you want it to be the default page that people see when they visit your Web Site, you should save this this file under the name ''Index''. This will create a file called ''Index.html'' on your Web Server.")},
        {702, QStringLiteral("Click here for a tutorial creating links.")},
        {1000, QStringLiteral("Upload Successful")},
        {1001, QStringLiteral("Congratulations, your page has been successfully uploaded to the Internet.")},
        {1002, QStringLiteral("If you click on your page under the magnifying glass you can view your page using your favorite Web Browser. And after that why not rotate the web and check out the Web Pages of the people who helped you get on the Internet.")},
        {1003, QStringLiteral("If for some reason you can't click on your page to go and see your page on the Web, your ISP may have a non-standard upload procedure or you don't have a Web Browser on your system.")},
        {1004, QStringLiteral("In both cases you need to contact your ISP for help to see your page on the Web.")},
        {1100, QStringLiteral("HTML Change Alert")},
        {1101, QStringLiteral("If you make changes to your HTML directly, they will appear in your Web Page. However, if you move back to ''Build Your Page'', these changes will be lost.")},
        {1102, QStringLiteral("Any changes you make here will not appear next time you load your Wobbin Express file. Do you still want to make changes to your HTML?")},
        {1103, QStringLiteral("Don''t show this screen again.")},
        {1200, QStringLiteral("Wobbin Express")},
        {5000, QStringLiteral("Wobbin Express")},
        {5001, QStringLiteral("Edit WWW Server List")},
        {5006, QStringLiteral("Insert Wobbin Express Logo")},
        {5013, QStringLiteral("Drag Web Blocks over, then up/down to create your page layout.")},
        {5020, QStringLiteral("Align Left")},
        {5021, QStringLiteral("Align Center")},
        {5022, QStringLiteral("Align Right")},
        {5023, QStringLiteral("Start new line for next block")},
        {5052, QStringLiteral(" Web Blocks")},
        {5053, QStringLiteral("Delete Web Block")},
        {5055, QStringLiteral("Web")},
        {5056, QStringLiteral("HTML")},
        {5062, QStringLiteral("&New")},
        {5063, QStringLiteral("&Open")},
        {5064, QStringLiteral("&Save")},
        {5065, QStringLiteral("Save &As")},
        {5066, QStringLiteral("&Make Template")},
        {5067, QStringLiteral("External Preview")},
        {5068, QStringLiteral("&Exit")},
        {5070, QStringLiteral("&Help Topics")},
        {5072, QStringLiteral("&About")},
        {5073, QStringLiteral("What's This?")},
        {5077, QStringLiteral("Click the logo to visit ")},
        {5078, QStringLiteral("Click the logo to view your Web Page")},
        {5079, QStringLiteral("There has been an error previewing this site with your Web Browser.")},
        {5080, QStringLiteral("Are you sure you want to delete the Wobbin Express file")},
        {5082, QStringLiteral("A Web Page name cannot contain any of the following characters : \\/:*?\"<>|")},
        {5083, QStringLiteral("Wobbin Express has pasted the HTML code into Wobbin Studio 4. To maintain any URLs within the document it should be saved to your Wobbin Express HTML directory.")},
        {5084, QStringLiteral("Wobbin Express was unable to communicate with Wobbin Studio 4. Please re-start both programs.")},
    };
    return list;
}

// Texts whose wording is ours; they must exist and not be empty.
const QList<int> kOwnTexts{
    // page check of the Send panel
    260, 261, 262, 263, 264, 265, 266, 267, 268, 269, 270, 271, 272, 273, 274, 275, 276, 277, 278,
    279, 280, 281, 282, 283, 284, 285, 286, 287, 288, 289,
    // is the page live?
    300, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 313, 314, 315, 316, 317, 318, 319,
    320, 321, 322, 323, 324, 330, 331,
    // sending from the Send panel
    340, 341, 342, 343, 344, 345, 346, 347, 348, 349,
    // style wizard
    500, 501, 502, 503, 504, 508, 510, 511, 517, 518, 519, 520, 526, 527, 528,
    // server list
    606, 630, 631, 632, 633, 634, 635, 636, 637, 638, 639, 640, 641, 642, 643, 644,
    // undo and redo, keyboard and screen reader
    800, 801, 802, 803, 804, 805, 806, 807, 808, 809, 810, 811, 812, 813, 814, 820, 821, 822, 823, 824, 825,
    830, 831, 832, 833, 834, 835, 836, 837, 838, 839, 840, 841, 842, 843, 844, 845, 846, 847, 848, 849,
    850, 851, 852, 853, 854, 855, 856, 857, 858, 859,
    // keyboard and screen reader, faults found in use
    870, 871, 872, 873, 874, 875, 876, 877, 878, 879, 880, 881, 882, 883, 884,
    // about box
    1201,
    // labels and hints of the main window
    5002, 5003, 5004, 5005, 5007, 5008, 5009, 5010, 5011, 5012, 5014, 5015, 5016, 5017, 5018, 5019,
    5024, 5025, 5026, 5027, 5028, 5029, 5030, 5031, 5032, 5033, 5034, 5035, 5036, 5037, 5038, 5039,
    5040, 5041, 5042, 5043, 5044, 5045, 5046, 5047, 5048, 5049, 5050, 5051, 5054, 5057, 5058, 5059,
    5060, 5061, 5069, 5074, 5076, 5081,
    // the way pages are written
    5090, 5091, 5092,
    // files sent at once, the page kept when unchanged
    325, 645, 646,
    // a folder as destination and the kinds of server
    670, 671, 672, 673, 674, 675, 676, 677, 678, 679,
    // WebDAV as a destination
    680, 681, 682,
    // pictures no page uses any more
    885, 886, 887, 888, 889, 890,
    // SSH keys and their passphrases
    921, 922, 923, 924, 925, 926, 927, 928, 929, 930, 931, 932, 933, 934, 935, 936, 937, 938,
};

// The upload's own texts (missing page, refused pictures, causes, the
// certificate and host key questions, how it ended).
const QList<int> kUploadTexts{230, 231, 232, 233, 234, 235, 236, 237, 238, 239,
                              240, 241, 242, 243, 244, 245, 246, 247, 248, 249,
                              250, 251, 252, 253, 254, 255, 256, 257};

} // namespace

class TestAppStrings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exactTexts()
    {
        for (const Expected &e : ExactTexts()) {
            QVERIFY2(HasStr(e.id), qPrintable(QStringLiteral("missing string %1").arg(e.id)));
            // Stored in their source form with doubled apostrophes, shown with one.
            QCOMPARE(LoadStr(e.id), QString(e.text).replace(QLatin1String("''"), QLatin1String("'")));
        }
        QVERIFY(MissingStringIds().isEmpty());
        QCOMPARE(LoadStr(Msg::DontShowAgain), QStringLiteral("Don't show this screen again."));
        QCOMPARE(LoadStr(Msg::EnterLoginName), QStringLiteral("Enter your 'Login' name. This name is supplied to you by your Internet Service Provider. (ISP)"));
    }

    void ownTextsPresent()
    {
        for (int id : kOwnTexts + kUploadTexts) {
            QVERIFY2(HasStr(id), qPrintable(QStringLiteral("missing string %1").arg(id)));
            QVERIFY2(!LoadStr(id).trimmed().isEmpty(), qPrintable(QString::number(id)));
        }
        // The server address prompt is followed by three blanks and an example host.
        QVERIFY(LoadStr(Msg::EnterServerAddress).startsWith(
            QStringLiteral("Enter the Server address. Usually this address is of the form:   ")));
        QVERIFY(LoadStr(Msg::EnterServerAddress).size() > 66);
    }

    void tableHoldsNothingElse()
    {
        QList<int> known;
        for (const Expected &e : ExactTexts())
            known << e.id;
        known << kOwnTexts << kUploadTexts;
        std::sort(known.begin(), known.end());
        QCOMPARE(AllStringIds(), known);
    }

    void missingIdIsRecorded()
    {
        QVERIFY(!HasStr(99999));
        QCOMPARE(LoadStr(99999), QString());
        QVERIFY(MissingStringIds().contains(99999));
    }

    void sequencesUsedByCombos()
    {
        // Heading sizes 23..28 and line thicknesses 17..22 fill the combo boxes in order.
        QStringList sizes, thick;
        for (int id = 23; id <= 28; ++id)
            sizes << LoadStr(id);
        for (int id = 17; id <= 22; ++id)
            thick << LoadStr(id);
        QCOMPARE(sizes.first(), QStringLiteral("1 (Largest)"));
        QCOMPARE(sizes.last(), QStringLiteral("6 (Smallest)"));
        QCOMPARE(thick.first(), QStringLiteral("6 (Thickest)"));
        QCOMPARE(thick.last(), QStringLiteral("1 (Thinnest)"));
    }
};

QTEST_GUILESS_MAIN(TestAppStrings)
#include "test_app_strings.moc"
