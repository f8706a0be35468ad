// Tests of the map exports: whole documents of a small table with a series
// variable, the height scaling, the refusals, UTF-8 texts in the two KML
// documents (well-formed for xmllint) and the bytes kept in the map page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../platform/temp_dir.h"
#include "export/kml.h"

namespace {

namespace fs = std::filesystem;

// Three regions (West has no section in the coordinates file), one fixed
// variable and a series variable of two years.
std::string regions(const std::string& data = "500 250.5 \n\".\" 100 \n12.25 0;", const std::string& title = "Sales in ",
                    const std::string& region_names = "\"Nord\",\"Sud\",\"West\"") {
    return "CHARSET=\"ANSI\";\nDECIMALS=2;\nMATRIX=\"K01\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"C\";\nTITLE=\"" + title +
           "\",\"regions & towns\";\nCONTENTS=\"Sales\";\nUNITS=\"EUR\";\nSTUB=\"region\",\"kind\";\n"
           "HEADING=\"year\";\nVALUES(\"region\")=" + region_names + ";\nVALUES(\"kind\")=\"all\";\n"
           "VALUES(\"year\")=\"2001\",\"2002\";\nCODES(\"region\")=\"N\",\"S\",\"W\";\nMAP(\"region\")=\"reg\";\n"
           "DATA=\n" + data + "\n";
}

const std::string coordinates =
    "[Style1]\nid=s1\nlinecolor=ff0000ff\nwidth=2\npolycolor=7f00ff00\n"
    "[Style2]\nid=s2\nlinecolor=ffff0000\nwidth=3\npolycolor=7fff0000\n"
    "[LookAt]\nlongitude=15.0\nrange=1000\n"
    "[N]\nLon1=10.0\nLat1=60.0\nLon2=11.0\nLat2=61.0\n"
    "[S]\nLon1=12.0\nLat1=55.0\nLon2=13.0\nLat2=56.0\n"
    "[maps]\npart1=<html>\npart2=<head>\npart3=<meta charset=windows-1252>\npart4=<style>td{}</style>\n"
    "part5=<script src=\"maps.js\"></script>\npart6=<!-- page -->\npart7=\nwidth=500px\nheight=300px\n"
    "[center]\nlat=58\nlon=12\nzoom=5\n[Icon]\nhttp=http://example.org/i.png\n";

struct map_dir {
    vt::test::temp_dir dir;
    std::string in;
    explicit map_dir(const std::string& table = regions()) {
        in = dir.write("in.vt", table);
        dir.write("reg.txt", coordinates);
    }
};

// One box of kmlsave: the five corners at height h.
std::string box(const std::string& style, const std::string& name, const std::string& description,
                const std::string& corners) {
    return "    <Placemark>\r\n      <styleUrl>#" + style + "</styleUrl>\r\n      <name>" + name +
           "</name>\r\n      <description>" + description +
           "</description>\r\n      <Polygon>\r\n        <extrude>1</extrude>\r\n"
           "        <altitudeMode>relativeToGround</altitudeMode>\r\n        <outerBoundaryIs>\r\n"
           "          <LinearRing>\r\n            <coordinates>\r\n" + corners +
           "            </coordinates>\r\n          </LinearRing>\r\n        </outerBoundaryIs>\r\n"
           "      </Polygon>\r\n    </Placemark>\r\n";
}

std::string corners(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    const std::string pad(12, ' ');
    return pad + a + "\r\n" + pad + b + "\r\n" + pad + c + "\r\n" + pad + d + "\r\n" + pad + a + "\r\n";
}

std::string style(const std::string& id, const std::string& line, const std::string& width, const std::string& poly) {
    return "  <Style id=\"" + id + "\">\r\n    <LineStyle>\r\n      <color>" + line + "</color>\r\n      <width>" +
           width + "</width>\r\n    </LineStyle>\r\n    <PolyStyle>\r\n    <color>" + poly +
           "</color>\r\n    </PolyStyle>\r\n  </Style>\r\n";
}

bool valid_utf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

}  // namespace

// The largest cell is 500: every height is the cell times 10000; the
// second year's boxes move by 0.05 and use the second style.
TEST(Kml, BoxesPerRegionAndSeriesValue) {
    map_dir m;
    ASSERT_EQ(vt::kmlsave(m.in, m.dir.file("out.kml"), m.dir.path().string()), 0);
    const std::string d = "kind=all, EUR=";
    EXPECT_EQ(m.dir.read("out.kml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<?kml xmlns=\"http://earth.google.com/kml/2.1\"?>\r\n"
              "<Document>\r\n" + style("s1", "ff0000ff", "2", "7f00ff00") + style("s2", "ffff0000", "3", "7fff0000") +
                  "  <Folder>\r\n    <name>Sales in  regions &amp; towns</name>\r\n    <LookAt>\r\n"
                  "      <longitude>15.0</longitude>\r\n      <latitude>47.0</latitude>\r\n"
                  "      <altitude>0</altitude>\r\n      <range>1000</range>\r\n      <tilt>26.8</tilt>\r\n"
                  "      <heading>-1.7</heading>\r\n    </LookAt>\r\n" +
                  box("s1", "Nord", d + "500, year=2001",
                      corners("10.0,60.0,5000000", "11.0,60.0,5000000", "11.0,61.0,5000000", "10.0,61.0,5000000")) +
                  box("s2", "Nord", d + "250.5, year=2002",
                      corners("10.0500,60.0500,2505000", "11.0500,60.0500,2505000", "11.0500,61.0500,2505000",
                              "10.0500,61.0500,2505000")) +
                  box("s1", "Sud", d + "0, year=2001",
                      corners("12.0,55.0,0", "13.0,55.0,0", "13.0,56.0,0", "12.0,56.0,0")) +
                  box("s2", "Sud", d + "100, year=2002",
                      corners("12.0500,55.0500,1000000", "13.0500,55.0500,1000000", "13.0500,56.0500,1000000",
                              "12.0500,56.0500,1000000")) +
                  box("s1", "West", d + "12.25, year=2001", corners("0,0,122500", "0,0,122500", "0,0,122500", "0,0,122500")) +
                  box("s2", "West", d + "0, year=2002",
                      corners("0.0500,0.0500,0", "0.0500,0.0500,0", "0.0500,0.0500,0", "0.0500,0.0500,0")) +
                  "  </Folder>\r\n</Document>\r\n");
}

// The factor follows the largest cell; beyond 1 100 000 the digits of its
// token before the decimal point decide.
TEST(Kml, HeightScaling) {
    const struct {
        const char* largest;
        const char* height;  // of the largest cell
    } cases[] = {{"500", "5000000"},       {"5000", "5000000"},  {"50000", "5000000"},
                 {"1000000", "1000000"}, {"2500000", "250000"}, {"12345678.5", "123457"},
                 {"123456.5", "123456"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.largest);
        map_dir m(regions(std::string(c.largest) + " 1 \n2 3 \n4 5;"));
        ASSERT_EQ(vt::kmlsave(m.in, m.dir.file("out.kml"), m.dir.path().string()), 0);
        EXPECT_NE(m.dir.read("out.kml").find("            10.0,60.0," + std::string(c.height) + "\r\n"),
                  std::string::npos);
    }
}

TEST(Kml, BalloonsPerRegion) {
    map_dir m;
    ASSERT_EQ(vt::kmlsave2(m.in, m.dir.file("out.kml"), m.dir.path().string(), "n.a.;..;...;....;.....;......;.......;-"), 0);
    auto placemark = [](const std::string& name, const std::string& a, const std::string& b, const std::string& at) {
        return "    <Placemark>\r\n  <name>" + name + "</name>\r\n  <styleUrl>#StyleB</styleUrl>\r\n<ExtendedData>\r\n"
               "  <Data name=\"region\">\r\n  <value>" + name + "</value>\r\n</Data>\r\n<Data name=\"number1\">\r\n"
               "<value>" + a + "</value>\r\n</Data>\r\n<Data name=\"number2\">\r\n<value>" + b +
               "</value>\r\n</Data>\r\n</ExtendedData>\r\n  <Point>\r\n<coordinates>" + at +
               "</coordinates>\r\n  </Point>\r\n   </Placemark>\r\n";
    };
    EXPECT_EQ(m.dir.read("out.kml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml xmlns=\"http://earth.google.com/kml/2.1\">\r\n"
              "<Document>\r\n    <name>Sales in  regions &amp; towns</name>\r\n    <LookAt>\r\n"
              "      <longitude>15.0</longitude>\r\n      <latitude></latitude>\r\n      <altitude></altitude>\r\n"
              "      <range>1000</range>\r\n      <tilt></tilt>\r\n      <heading></heading>\r\n    </LookAt>\r\n"
              "<open>1</open>\r\n<Style id=\"StyleB\">\r\n <BalloonStyle>\r\n <text>\r\n <![CDATA[\r\n"
              "<b>Sales</b><p>\r\n$[region]<br>\r\n<table border=1>\r\n<tr>\r\n"
              "<td align=left valign=top rowspan=2>all</td><td align=left>2001</td><td align=right>$[number1]</td></tr>\r\n"
              "<tr><td align=left>2002</td><td align=right>$[number2]</td></tr>\r\n"
              "</table>\r\n]]>\r\n</text>\r\n</BalloonStyle>\r\n</Style>\r\n" +
                  placemark("Nord", "500", "250.5", "10.0,60.0") + placemark("Sud", "n.a.", "100", "12.0,55.0") +
                  placemark("West", "12.25", "0", "0,0") + "</Document>\r\n</kml>\r\n");
}

// The map page: a message per region, a marker for the regions whose
// section has a position (West has none), the fragments of [maps].
TEST(Kml, MapPage) {
    map_dir m;
    ASSERT_EQ(vt::kmlsave3(m.in, m.dir.file("out.htm"), m.dir.path().string(), ".;..;...;....;.....;......;.......;-"),
              0);
    const std::string header = "<td class=tdt>kind</td><td class=tdt>year</td><td class=tdt>EUR</td>";
    auto message = [&](int i, const std::string& name, const std::string& a, const std::string& b) {
        return "message[" + std::to_string(i) + "]=\"<b>" + name + "</b><table border=1><tr>" + header +
               "</tr><tr><td rowspan=2>all</td><td>2001</td><td class=tdc>" + a +
               "<td></tr><tr><td>2002</td><td class=tdc>" + b + "<td></tr></table>\";\r\n";
    };
    EXPECT_EQ(m.dir.read("out.htm"),
              "<html>\r\n<head>\r\n<meta charset=windows-1252>\r\n<style>td{}</style>\r\n"
              "<script src=\"maps.js\"></script>\r\n<title>Sales in  regions &amp; towns</title>\r\n"
              "<!-- page -->\r\n\r\n<script type=\"text/javascript\">\r\nfunction initialize()\r\n{\r\n"
              "var message=new Array(3);\r\n" +
                  message(0, "Nord", "500", "250.5") + message(1, "Sud", ".", "100") + message(2, "West", "12.25", "0") +
                  "if (GBrowserIsCompatible())\r\n{\r\nvar map=new GMap2(document.getElementById(\"map\"));\r\n"
                  "map.setCenter(new GLatLng(58, 12), 5);\r\nmap.addControl(new GLargeMapControl());\r\n"
                  "var blueIcon=new GIcon(G_DEFAULT_ICON);\r\nblueIcon.image=\"http://example.org/i.png\";\r\n"
                  "markerOptions={ icon:blueIcon };\r\nfunction createMarker(latlng,number)\r\n{\r\n"
                  "var marker=new GMarker(latlng, markerOptions);\r\nmarker.value=number;\r\n"
                  "GEvent.addListener(marker,\"click\", function()\r\n{\r\n"
                  "map.openInfoWindowHtml(latlng, message[number-1]);\r\n});\r\nreturn marker;\r\n}\r\n"
                  "var point=new GLatLng(60.0,10.0);\r\nmap.addOverlay(createMarker(point,1));\r\n"
                  "var point=new GLatLng(55.0,12.0);\r\nmap.addOverlay(createMarker(point,2));\r\n"
                  "}\r\n}\r\n</script>\r\n</head>\r\n<body onload=\"initialize()\" onunload=\"GUnload()\">\r\n"
                  "<h2>Sales in  regions &amp; towns</h2>\r\n<p>\r\n<p>\r\n"
                  "<div id=\"map\" style=\"width:500px; height:300px\"></div>\r\n</body>\r\n</html>\r\n");
}

TEST(Kml, Refusals) {
    std::string no_map = regions();
    no_map.erase(no_map.find("MAP("), 21);
    std::string two_series = regions("1 2 3 4 \n5 6 7 8 \n9 10 11 12;");
    two_series.replace(two_series.find("\"all\""), 5, "\"all\",\"some\"");
    const struct {
        std::string table;
        bool coordinates;
        int boxes, others;  // kmlsave, kmlsave2 and kmlsave3
    } cases[] = {
        {no_map, true, 701, 701},
        {regions(), false, 700, 700},
        {two_series, true, 702, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        vt::test::temp_dir dir;
        const std::string in = dir.write("in.vt", c.table);
        if (c.coordinates) dir.write("reg.txt", coordinates);
        const std::string d = dir.path().string();
        EXPECT_EQ(vt::kmlsave(in, dir.file("a.kml"), d), c.boxes);
        EXPECT_EQ(vt::kmlsave2(in, dir.file("b.kml"), d, ""), c.others);
        EXPECT_EQ(vt::kmlsave3(in, dir.file("c.htm"), d, ""), c.others);
        EXPECT_EQ(fs::exists(dir.file("a.kml")), c.boxes == 0);
    }
    map_dir m;
    const std::string d = m.dir.path().string();
    EXPECT_EQ(vt::kmlsave(m.dir.file("none.vt"), m.dir.file("a.kml"), d), 400);
    // The cells are read while the output is written: the input as output
    // is refused and left as it was.
    EXPECT_EQ(vt::kmlsave2(m.in, m.in, d, ""), 400);
    EXPECT_EQ(vt::kmlsave3(m.in, m.in, d, ""), 400);
    EXPECT_EQ(m.dir.read("in.vt"), regions());
}

// Windows-1252 texts: UTF-8 in the KML documents, which xmllint reads as
// well-formed; the map page keeps the bytes.
TEST(Kml, TextsAreUtf8InTheKmlDocuments) {
    map_dir m(regions("1 2 \n3 4 \n5 6;", "Sales \x80 <in> ", "\"Malm\xF6\",\"S\xFC\x64 & \x93Ost\x94\",\"West]]>\""));
    const std::string d = m.dir.path().string();
    ASSERT_EQ(vt::kmlsave(m.in, m.dir.file("a.kml"), d), 0);
    ASSERT_EQ(vt::kmlsave2(m.in, m.dir.file("b.kml"), d, ""), 0);
    ASSERT_EQ(vt::kmlsave3(m.in, m.dir.file("c.htm"), d, ""), 0);
    for (const char* f : {"a.kml", "b.kml"}) {
        const std::string text = m.dir.read(f);
        EXPECT_TRUE(valid_utf8(text)) << f;
        EXPECT_NE(text.find("<name>Malm\xC3\xB6</name>"), std::string::npos) << f;
        EXPECT_NE(text.find("S\xC3\xBC\x64 &amp; \xE2\x80\x9COst\xE2\x80\x9D"), std::string::npos) << f;
        EXPECT_NE(text.find("Sales \xE2\x82\xAC &lt;in&gt; "), std::string::npos) << f;
    }
    EXPECT_NE(m.dir.read("c.htm").find("message[0]=\"<b>Malm\xF6</b>"), std::string::npos);
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "skipped: xmllint is not installed";
    for (const char* f : {"a.kml", "b.kml"}) {
        const std::string cmd = "xmllint --noout '" + m.dir.file(f) + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << f;
    }
}
