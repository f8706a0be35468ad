// The map exports kmlsave, kmlsave2 and kmlsave3.
//
//     kmlsave    <Placemark> per region and series value: a box whose
//                height is the cell, scaled to the largest cell
//     kmlsave2   <Placemark> per region: a point whose balloon is a table
//                of all the region's cells ($[numberK] placeholders filled
//                from <ExtendedData>)
//     kmlsave3   an HTML page: message[i] holds region i's table, a marker
//                per region with a position opens it
//
// The cells are read as tokens from the table file in file order while the
// output is written, so memory does not grow with the table. The two KML
// documents declare UTF-8, so their texts (table and coordinates file
// alike) are converted from Windows-1252 on the way out.
#include "export/kml.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/cellfmt.h"
#include "core/datasec.h"
#include "export/frame.h"
#include "export/markup.h"
#include "platform/codepage.h"
#include "platform/fsinfo.h"
#include "platform/ini.h"

namespace vt {

namespace {

constexpr const char* kml_namespace = "http://earth.google.com/kml/2.1";
constexpr std::size_t value_size = 1001;  // values of the coordinates file: 1000 characters
constexpr std::size_t short_size = 101;   // [center] and lat1/lon1: 100 characters

std::string utf8(std::string_view s) { return plat::ansi_to_utf8(s); }

std::string joined_title(const table& t) {
    std::string s;
    for (std::size_t i = 0; i < t.title.size(); ++i) {
        if (i > 0) s += ' ';
        s += t.title[i];
    }
    return s;
}

// The product of the value counts of the variables after `v`.
std::int64_t span_after(const table& t, std::size_t v) {
    std::int64_t n = 1;
    for (std::size_t k = v + 1; k < t.vars.size(); ++k) n *= t.vars[k].value_count;
    return n;
}

// A text inside a CDATA section: "]]>" would end the section early, so it
// is split over two sections.
std::string cdata_safe(std::string_view s) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t end = s.find("]]>", at);
        if (end == std::string_view::npos) {
            out.append(s.substr(at));
            return out;
        }
        out.append(s.substr(at, end - at));
        out.append("]]]]><![CDATA[>");
        at = end + 3;
    }
}

// An attribute value between double quotes: the markup escape plus the
// quote itself.
std::string attribute_text(std::string_view s) {
    std::string out;
    for (const char ch : xml_escape(s)) {
        if (ch == '"')
            out += "&quot;";
        else
            out += ch;
    }
    return out;
}

// A text inside a double-quoted script string.
std::string script_text(std::string_view s) {
    std::string out;
    for (const char ch : s) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out;
}

// What the three share: the table read up to its data, the coordinates
// file, the output, and the cells read one token at a time.
struct map_job {
    table t = table_new();
    in_file in;
    plat::ini_file coords;
    out_file out;
    std::string token;

    // The next cell token, "" once the data has ended.
    const std::string& next() {
        if (!next_data_token(in, token)) token.clear();
        return token;
    }

    // The next cell as the balloons and the page show it: a data symbol as
    // its text from `symbols`, "0" once the data has ended.
    std::string next_shown(const std::string& symbols) {
        std::string cell = next();
        if (cell.empty()) cell = "0";
        quoted_symbol_text(cell, symbols);
        return cell;
    }

    std::string get(std::string_view section, std::string_view key, std::string_view deflt,
                     std::size_t size = value_size) const {
        return coords.get_string(section, key, deflt, size);
    }

    // The section of region `i`: its code; a region without a code has none.
    std::string section(std::size_t i) const {
        const value& v = t.vars[0].values[i];
        return v.code ? *v.code : std::string();
    }
};

std::string coordinates_path(const std::string& dir, const std::string& map) {
    return plat::native_path(dir.empty() ? map + ".txt" : dir + "\\" + map + ".txt");
}

// MAP (701), the coordinates file (700) and the output (400), in that order.
int open_map_files(map_job& j, const std::string& infile, const std::string& outfile, const std::string& dir) {
    const variable& first = j.t.vars[0];
    if (!first.map) return codes::kml_no_map;
    if (!j.coords.load(coordinates_path(dir, *first.map))) return codes::kml_no_coordinates;
    if (plat::overwrites_input(infile, outfile)) return codes::cannot_open;
    return open_output(j.out, outfile) ? 0 : codes::cannot_open;
}

// The table, MAP, the coordinates file and the output of kmlsave2 and
// kmlsave3.
int start_map(map_job& j, const std::string& infile, const std::string& outfile, const std::string& dir) {
    if (const int rc = read_keywords(infile, j.in, j.t, codes::cannot_open); rc != 0) return rc;
    if (j.t.vars.empty()) return codes::kml_no_first_variable;
    return open_map_files(j, infile, outfile, dir);
}

// ---------------------------------------------------------------------------
// kmlsave

struct series_info {
    std::string fixed;      // "name=value, " per further variable of one value
    std::size_t series = 0; // position of the one further variable with several values; 0 = none
};

int find_series(const table& t, series_info& s) {
    for (std::size_t v = 1; v < t.vars.size(); ++v) {
        const variable& var = t.vars[v];
        if (var.value_count < 2) {
            if (var.name) s.fixed += *var.name + "=";
            s.fixed += var.values.front().text + ", ";
        } else if (s.series != 0) {
            return codes::kml_two_series;
        } else {
            s.series = v;
        }
    }
    return 0;
}

// The factor that brings the largest cell (its value and its token) to a
// height the globe shows well.
double height_factor(double largest, const std::string& token) {
    if (largest < 1000) return 10000;
    if (largest < 10000) return 1000;
    if (largest < 100000) return 100;
    if (largest < 1100000) return 1;
    const std::size_t point = token.find('.');
    const std::size_t i = point == std::string::npos ? token.size() : point + 1;
    return i < 7 ? 1 : i == 7 ? 0.1 : 0.01;
}

// Reads every cell of the table once for the largest one; symbols do not
// count.
double scan_factor(in_file& in) {
    double largest = 0;
    std::string largest_token, tok;
    while (next_data_token(in, tok)) {
        if (tok.empty() || tok[0] == '"') continue;
        const double x = parse_cell_number(tok.data(), tok.data() + tok.size());
        if (x > largest) {
            largest = x;
            largest_token = tok;
        }
    }
    return height_factor(largest, largest_token);
}

std::string fixed4(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", x);
    return buf;
}

void write_style(markup_writer& w, const map_job& j, const std::string& section) {
    w.line("  <Style id=\"" + attribute_text(utf8(j.get(section, "id", ""))) + "\">");
    w.line("    <LineStyle>");
    w.raw("      ");
    w.element("color", utf8(j.get(section, "linecolor", "")));
    w.raw("      ");
    w.element("width", utf8(j.get(section, "width", "")));
    w.line("    </LineStyle>");
    w.line("    <PolyStyle>");
    w.raw("    ");
    w.element("color", utf8(j.get(section, "polycolor", "")));
    w.line("    </PolyStyle>");
    w.line("  </Style>");
}

// The LookAt block; `defaults` empty for none.
void write_look_at(markup_writer& w, const map_job& j, const std::vector<std::string>& defaults) {
    static constexpr const char* keys[6] = {"longitude", "latitude", "altitude", "range", "tilt", "heading"};
    w.line("    <LookAt>");
    for (std::size_t k = 0; k < 6; ++k) {
        w.raw("      ");
        w.element(keys[k], utf8(j.get("LookAt", keys[k], defaults.empty() ? "" : defaults[k])));
    }
    w.line("    </LookAt>");
}

void write_box(markup_writer& w, const std::string (&corner)[4], double shift, const std::string& height) {
    // Corners: (Lon1, Lat1), (Lon2, Lat1), (Lon2, Lat2), (Lon1, Lat2), back to the first.
    static constexpr int lon[5] = {0, 2, 2, 0, 0};
    static constexpr int lat[5] = {1, 1, 3, 3, 1};
    for (int p = 0; p < 5; ++p) {
        const std::string& x = corner[lon[p]];
        const std::string& y = corner[lat[p]];
        std::string line(12, ' ');
        if (shift == 0) {
            line += utf8(x) + "," + utf8(y);
        } else {
            line += fixed4(std::atof(x.c_str()) + shift) + "," + fixed4(std::atof(y.c_str()) + shift);
        }
        w.text(line + "," + height);
        w.end_line();
    }
}

int kml_boxes(const std::string& infile, const std::string& outfile, const std::string& dir) {
    map_job j;
    if (const int rc = read_keywords(infile, j.in, j.t, codes::cannot_open); rc != 0) return rc;
    const table& t = j.t;
    if (t.vars.empty()) return codes::kml_no_first_variable;
    const std::string units = t.units ? *t.units : std::string("no");
    series_info s;
    if (const int rc = find_series(t, s); rc != 0) return rc;
    if (const int rc = open_map_files(j, infile, outfile, dir); rc != 0) return rc;

    const double factor = scan_factor(j.in);
    {
        // Back to the start of the cells.
        j.in.close();
        table again = table_new();
        if (read_keywords(infile, j.in, again, codes::cannot_open) != 0) return codes::cannot_open;
    }

    markup_writer w(j.out);
    w.line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    w.line(std::string("<?kml xmlns=\"") + kml_namespace + "\"?>");
    w.line("<Document>");
    write_style(w, j, "Style1");
    const std::size_t nseries = s.series != 0 ? t.vars[s.series].values.size() : 1;
    for (std::size_t k = 2; k <= nseries; ++k) {
        const std::string section = "Style" + std::to_string(k);
        if (j.get(section, "id", "").empty()) break;
        write_style(w, j, section);
    }
    w.line("  <Folder>");
    w.raw("    ");
    w.element("name", utf8(joined_title(t)));
    write_look_at(w, j, {"11.0", "47.0", "0", "3125339.96", "26.8", "-1.7"});

    const std::string style1 = j.get("Style1", "id", "");
    const variable& regions = t.vars[0];
    for (std::size_t r = 0; r < regions.values.size(); ++r) {
        const std::string sec = j.section(r);
        std::string corner[4];
        static constexpr const char* corner_keys[4] = {"Lon1", "Lat1", "Lon2", "Lat2"};
        for (int c = 0; c < 4; ++c) corner[c] = sec.empty() ? "0" : j.get(sec, corner_keys[c], "0");
        for (std::size_t k = 1; k <= nseries; ++k) {
            std::string style = style1;
            if (k >= 2) style = j.get("Style" + std::to_string(k), "id", style1);
            std::string token = j.next();
            if (token.empty() || token[0] == '"') token = "0";
            std::string description = s.fixed.size() > 1 ? s.fixed : std::string();
            description += units + "=" + token;
            if (s.series != 0) {
                const variable& sv = t.vars[s.series];
                description += ", ";
                if (sv.name) description += *sv.name + "=";
                description += sv.values[k - 1].text;
            }
            char height[64];
            std::snprintf(height, sizeof height, "%.0f",
                          parse_cell_number(token.data(), token.data() + token.size()) * factor);

            w.line("    <Placemark>");
            w.raw("      ");
            w.element("styleUrl", "#" + utf8(style));
            w.raw("      ");
            w.element("name", utf8(regions.values[r].text));
            w.raw("      ");
            w.element("description", utf8(description));
            w.line("      <Polygon>");
            w.line("        <extrude>1</extrude>");
            w.line("        <altitudeMode>relativeToGround</altitudeMode>");
            w.line("        <outerBoundaryIs>");
            w.line("          <LinearRing>");
            w.line("            <coordinates>");
            write_box(w, corner, static_cast<double>(k - 1) * 0.05, height);
            w.line("            </coordinates>");
            w.line("          </LinearRing>");
            w.line("        </outerBoundaryIs>");
            w.line("      </Polygon>");
            w.line("    </Placemark>");
        }
    }
    w.line("  </Folder>");
    w.line("</Document>");
    return j.out.close() ? 0 : codes::cannot_open;
}

// ---------------------------------------------------------------------------
// kmlsave2

// The balloon's table rows over the variables from `v` on; each row is one
// line, ended by the cell placeholder of the last variable.
void balloon_rows(markup_writer& w, const table& t, std::size_t v, int& k, std::string& line) {
    const variable& var = t.vars[v];
    const bool last = v + 1 == t.vars.size();
    for (std::size_t i = 0; i < var.values.size(); ++i) {
        if (i > 0) line += "<tr>";
        const std::string text = cdata_safe(utf8(var.values[i].text));
        if (!last) {
            line += "<td align=left valign=top rowspan=" + std::to_string(span_after(t, v)) + ">" + text + "</td>";
            balloon_rows(w, t, v + 1, k, line);
        } else {
            line += "<td align=left>" + text + "</td><td align=right>$[number" + std::to_string(++k) + "]</td></tr>";
            w.line(line);
            line.clear();
        }
    }
}

int kml_balloons(const std::string& infile, const std::string& outfile, const std::string& dir,
                 const std::string& symbols) {
    map_job j;
    if (const int rc = start_map(j, infile, outfile, dir); rc != 0) return rc;
    const table& t = j.t;

    const variable& regions = t.vars[0];
    const std::string first_name = utf8(regions.name.value_or(""));
    markup_writer w(j.out);
    w.line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    w.start_tag("kml", {{"xmlns", kml_namespace}});
    w.line("<Document>");
    w.raw("    ");
    w.element("name", utf8(joined_title(t)));
    write_look_at(w, j, {});
    w.line("<open>1</open>");

    w.line("<Style id=\"StyleB\">");
    w.line(" <BalloonStyle>");
    w.line(" <text>");
    w.line(" <![CDATA[");
    w.line("<b>" + cdata_safe(utf8(t.contents.value_or(""))) + "</b><p>");
    w.line("$[" + cdata_safe(first_name) + "]<br>");
    w.line("<table border=1>");
    w.line("<tr>");
    int placeholders = 0;
    if (t.vars.size() > 1) {
        std::string line;
        balloon_rows(w, t, 1, placeholders, line);
    }
    w.line("</table>");
    w.line("]]>");
    w.line("</text>");
    w.line("</BalloonStyle>");
    w.line("</Style>");

    const std::int64_t cells = span_after(t, 0);
    for (std::size_t r = 0; r < regions.values.size(); ++r) {
        const std::string sec = j.section(r);
        w.line("    <Placemark>");
        w.raw("  ");
        w.element("name", utf8(regions.values[r].text));
        w.line("  <styleUrl>#StyleB</styleUrl>");
        w.line("<ExtendedData>");
        w.line("  <Data name=\"" + attribute_text(first_name) + "\">");
        w.raw("  ");
        w.element("value", utf8(regions.values[r].text));
        w.line("</Data>");
        for (std::int64_t k = 1; k <= cells; ++k) {
            const std::string cell = j.next_shown(symbols);
            w.line("<Data name=\"number" + std::to_string(k) + "\">");
            w.element("value", utf8(cell));
            w.line("</Data>");
        }
        w.line("</ExtendedData>");
        w.line("  <Point>");
        const std::string lon = sec.empty() ? "0" : j.get(sec, "Lon1", "0");
        const std::string lat = sec.empty() ? "0" : j.get(sec, "Lat1", "0");
        w.element("coordinates", utf8(lon) + "," + utf8(lat));
        w.line("  </Point>");
        w.line("   </Placemark>");
    }
    w.line("</Document>");
    w.line("</kml>");
    return j.out.close() ? 0 : codes::cannot_open;
}

// ---------------------------------------------------------------------------
// kmlsave3

// The rows of one region's message table over the variables from `v` on.
void message_rows(map_job& j, std::size_t v, const std::string& symbols, std::string& out) {
    const table& t = j.t;
    const variable& var = t.vars[v];
    const bool last = v + 1 == t.vars.size();
    for (std::size_t i = 0; i < var.values.size(); ++i) {
        if (i > 0) out += "<tr>";
        const std::string text = script_text(var.values[i].text);
        if (!last) {
            const std::int64_t span = span_after(t, v);
            out += "<td";
            if (span > 1) out += " rowspan=" + std::to_string(span);
            out += ">" + text + "</td>";
            message_rows(j, v + 1, symbols, out);
        } else {
            const std::string cell = j.next_shown(symbols);
            out += "<td>" + text + "</td><td class=tdc>" + script_text(cell) + "<td></tr>";
        }
    }
}

int map_page(const std::string& infile, const std::string& outfile, const std::string& dir,
             const std::string& symbols) {
    map_job j;
    if (const int rc = start_map(j, infile, outfile, dir); rc != 0) return rc;
    const table& t = j.t;

    markup_writer w(j.out);
    for (int p = 1; p <= 5; ++p) w.line(j.get("maps", "part" + std::to_string(p), ""));
    const std::string title = xml_escape(joined_title(t));
    w.line("<title>" + title + "</title>");
    w.line(j.get("maps", "part6", ""));
    w.line(j.get("maps", "part7", ""));
    w.line("<script type=\"text/javascript\">");
    w.line("function initialize()");
    w.line("{");

    std::string header;
    for (std::size_t v = 1; v < t.vars.size(); ++v)
        header += "<td class=tdt>" + script_text(t.vars[v].name.value_or("-")) + "</td>";
    header += "<td class=tdt>" + script_text(t.units ? xml_escape(*t.units) : std::string("-")) + "</td>";

    const variable& regions = t.vars[0];
    w.line("var message=new Array(" + std::to_string(regions.values.size()) + ");");
    std::string msg;
    for (std::size_t r = 0; r < regions.values.size(); ++r) {
        msg = "message[" + std::to_string(r) + "]=\"<b>" + script_text(regions.values[r].text) +
              "</b><table border=1><tr>" + header + "</tr><tr>";
        if (t.vars.size() > 1) {
            message_rows(j, 1, symbols, msg);
        } else {
            const std::string cell = j.next_shown(symbols);
            msg += "<td class=tdc>" + script_text(cell) + "<td></tr>";
        }
        msg += "</table>\";";
        w.line(msg);
    }

    w.line("if (GBrowserIsCompatible())");
    w.line("{");
    w.line("var map=new GMap2(document.getElementById(\"map\"));");
    w.line("map.setCenter(new GLatLng(" + j.get("center", "lat", "", short_size) + ", " +
           j.get("center", "lon", "", short_size) + "), " + j.get("center", "zoom", "", short_size) + ");");
    w.line("map.addControl(new GLargeMapControl());");
    w.line("var blueIcon=new GIcon(G_DEFAULT_ICON);");
    w.line("blueIcon.image=\"" + j.get("Icon", "http", "") + "\";");
    w.line("markerOptions={ icon:blueIcon };");
    w.line("function createMarker(latlng,number)");
    w.line("{");
    w.line("var marker=new GMarker(latlng, markerOptions);");
    w.line("marker.value=number;");
    w.line("GEvent.addListener(marker,\"click\", function()");
    w.line("{");
    w.line("map.openInfoWindowHtml(latlng, message[number-1]);");
    w.line("});");
    w.line("return marker;");
    w.line("}");
    for (std::size_t r = 0; r < regions.values.size(); ++r) {
        const std::string sec = j.section(r);
        if (sec.empty() || j.coords.find(sec, "lat1") == nullptr) continue;
        w.line("var point=new GLatLng(" + j.get(sec, "lat1", "", short_size) + "," +
               j.get(sec, "lon1", "", short_size) + ");");
        w.line("map.addOverlay(createMarker(point," + std::to_string(r + 1) + "));");
    }
    w.line("}");
    w.line("}");
    w.line("</script>");
    w.line("</head>");
    w.line("<body onload=\"initialize()\" onunload=\"GUnload()\">");
    w.line("<h2>" + title + "</h2>");
    w.line("<p>");
    w.line("<p>");
    w.line("<div id=\"map\" style=\"width:" + j.get("maps", "width", "") + ";" + " height:" +
           j.get("maps", "height", "") + "\"></div>");
    w.line("</body>");
    w.line("</html>");
    return j.out.close() ? 0 : codes::cannot_open;
}

}  // namespace

int kmlsave(const std::string& infile, const std::string& outfile, const std::string& dir) noexcept {
    return run_export("kmlsave", export_codes{}, [&] { return kml_boxes(infile, outfile, dir); });
}

int kmlsave2(const std::string& infile, const std::string& outfile, const std::string& dir,
             const std::string& symbols) noexcept {
    return run_export("kmlsave2", export_codes{}, [&] { return kml_balloons(infile, outfile, dir, symbols); });
}

int kmlsave3(const std::string& infile, const std::string& outfile, const std::string& dir,
             const std::string& symbols) noexcept {
    return run_export("kmlsave3", export_codes{}, [&] { return map_page(infile, outfile, dir, symbols); });
}

}  // namespace vt
