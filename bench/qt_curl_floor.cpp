// The least a Qt program can cost when it sends files over FTP: curl's own
// work (one libcurl handle, one connection reused for every file, missing
// folders made), in a program that links QtCore and makes its application
// object, and nothing else. The publish benchmark times it beside curl to show
// what loading QtCore alone costs on the machine at hand.
//
//   qt_curl_floor LOCAL URL [LOCAL URL ...]   (USER:PASSWORD on standard input)
#include <QCoreApplication>

#include <curl/curl.h>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    char login[512] = {};
    if (argc < 3 || argc % 2 == 0 || !std::fgets(login, sizeof login, stdin)) {
        std::fputs("usage: qt_curl_floor LOCAL URL [LOCAL URL ...] < USER:PASSWORD\n", stderr);
        return 2;
    }
    login[std::strcspn(login, "\r\n")] = '\0';
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL *curl = curl_easy_init();
    int status = 0;
    for (int i = 1; curl && i + 1 < argc && status == 0; i += 2) {
        FILE *f = std::fopen(argv[i], "rb");
        if (!f) {
            std::perror(argv[i]);
            status = 1;
            break;
        }
        curl_easy_setopt(curl, CURLOPT_URL, argv[i + 1]);
        curl_easy_setopt(curl, CURLOPT_USERPWD, login);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READDATA, f);
        curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
        const CURLcode r = curl_easy_perform(curl);
        std::fclose(f);
        if (r != CURLE_OK) {
            std::fprintf(stderr, "%s: %s\n", argv[i + 1], curl_easy_strerror(r));
            status = 1;
        }
    }
    curl_easy_cleanup(curl);
    curl_global_cleanup();
    std::memset(login, 0, sizeof login);
    return curl ? status : 1;
}
