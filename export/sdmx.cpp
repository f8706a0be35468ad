// The SDMX export sdmxsave.
//
//     <?xml ...?>  <Structure xmlns:structure="...">   (or a data message root)
//     <Header> ... </Receiver>       fixed identifiers, names in `lang`
//     <Extracted> </Header>          structure message only from here on
//     <Codelists>                    fixed lists, one per variable, fixed lists
//     <Concepts>                     TIME FREQ DECIMALS UNIT
//     <KeyFamilies>                  one key family named after the matrix
//     </Structure>
#include "export/sdmx.h"

#include <string_view>

#include "core/codes.h"
#include "export/frame.h"
#include "export/markup.h"
#include "export/xmlbase.h"

namespace vt {

namespace {

constexpr std::string_view prepared = "2006-04-12T08:00:00";
constexpr std::string_view structure_namespace = "http://www.SDMX.org/resources/SDMXML/schemas/v2_0/structure";

struct message {
    markup_writer w;
    const table& t;
    std::string_view lang;
};

void name_line(message& m) { m.w.element("Name", "nn", {{"xml:lang", m.lang}}); }

void party(message& m, std::string_view role) {
    m.w.start_tag(role, {{"id", "xx"}});
    name_line(m);
    m.w.line("<Contact>");
    name_line(m);
    m.w.line("<Telephone>000</Telephone>");
    m.w.line("</Contact>");
    m.w.end_tag(role);
}

void header(message& m) {
    m.w.line("<Header>");
    m.w.element("ID", m.t.matrix.value_or(""));
    m.w.line("<Test>true</Test>");
    m.w.line("<Truncated>false</Truncated>");
    name_line(m);
    m.w.raw_element("Prepared", prepared);
    party(m, "Sender");
    party(m, "Receiver");
}

struct fixed_code {
    std::string_view value;
    std::string_view description;
};

void code(message& m, std::string_view value, std::string_view description, std::string_view lang) {
    m.w.start_tag("structure:Code", {{"value", value}});
    m.w.element("structure:Description", description, {{"xml:lang", lang}});
    m.w.line("</structure:Code>");
}

void fixed_list(message& m, std::string_view id, std::string_view description,
                std::initializer_list<fixed_code> codes) {
    m.w.start_tag("structure:Codelist", {{"id", id}});
    if (!description.empty()) m.w.element("structure:Description", description, {{"xml:lang", "en"}});
    for (const fixed_code& c : codes) code(m, c.value, c.description, "en");
    m.w.line("</structure:Codelist>");
}

std::string_view list_name(const variable& v) noexcept {
    return v.name ? std::string_view(*v.name) : std::string_view("unitvariable");
}

void variable_list(message& m, const variable& v) {
    m.w.start_tag("structure:Codelist", {{"id", list_name(v)}});
    m.w.element("structure:Description", list_name(v), {{"xml:lang", m.lang}});
    for (const value& val : v.values) code(m, code_or_text(val), val.text, m.lang);
    m.w.line("</structure:Codelist>");
}

void code_lists(message& m) {
    m.w.line("<Codelists>");
    fixed_list(m, "CL_OBS_STATUS", "", {{"A", "Present"}, {"M", "Missing"}});
    fixed_list(m, "CL_FREQ", "Frequency", {{"A", "Annual"}, {"Q", "Quarterly"}, {"M", "Monthly"}});
    fixed_list(m, "CL_TIME_FORMAT", "Time formats based on ISO 8601",
               {{"P1Y", "Annual"}, {"P3M", "Quarterly"}, {"P1M", "Monthly"}});
    for (const variable& v : m.t.vars) variable_list(m, v);
    fixed_list(m, "CL_AVAILABILITY", "Availability", {{"A", "Free"}});
    const text_list& refperiod = m.t.continfos.front().refperiod;
    fixed_list(m, "refperiod", "referance period",
               {{refperiod.empty() ? std::string_view() : std::string_view(refperiod.front()), "refperiod"}});
    fixed_list(m, "showdecimals", "showdecimals", {{"1", "one"}});
    fixed_list(m, "units", "units", {{"number", "number"}});
    m.w.line("</Codelists>");
}

void concepts(message& m) {
    m.w.line("<Concepts>");
    for (const fixed_code& c : {fixed_code{"TIME", "Time"}, fixed_code{"FREQ", "Frequency"},
                                fixed_code{"DECIMALS", "Decimals"}, fixed_code{"UNIT", "Unit"}}) {
        m.w.start_tag("structure:Concept", {{"id", c.value}});
        m.w.element("structure:Name", c.description, {{"xml:lang", "en"}});
        m.w.line("</structure:Concept>");
    }
    m.w.line("</Concepts>");
}

// The attributes of the key family, their start lines as the receivers
// know them (spellings and blanks included).
constexpr std::string_view attach_group = "<structure:AttachmentGroup>SiblingGroup</structure:AttachmentGroup>";
constexpr std::string_view measure_p = "<structure:AttachmentMeasure>P</structure:AttachmentMeasure>";
constexpr std::string_view measure_q = "<structure:AttachmentMeasure>Q</structure:AttachmentMeasure>";

void attributes(message& m) {
    auto open = [&m](std::initializer_list<std::string_view> parts) {
        for (std::string_view p : parts) m.w.raw(p);
        m.w.end_line();
    };
    auto measures = [&m] {
        m.w.line(measure_p);
        m.w.line(measure_q);
        m.w.line("</structure:Attribute>");
    };
    auto group = [&m] {
        m.w.line(attach_group);
        m.w.line("</structure:Attribute>");
    };
    constexpr std::string_view mandatory = "assignmentStatus=\"Mandatory\" ";
    constexpr std::string_view conditional = "assignmentStatus=\"Conditional\" ";
    constexpr std::string_view dataset_no = "crossSectionalAttachDataset=\"false\" ";
    constexpr std::string_view group_yes = "crossSectionalAttachGroup=\"true\" ";
    constexpr std::string_view group_no = "crossSectionalAttachGroup=\"false\" ";
    constexpr std::string_view section_yes = "crossSectionalAttachSection=\"true\" ";
    constexpr std::string_view section_no = "crossSectionalAttachSection=\"false\" ";
    constexpr std::string_view observation_no = "crossSectionalAttachObservation=\"false\" > ";
    constexpr std::string_view observation_yes = "crossSectionalAttachObservation=\"true\" > ";
    open({"<structure:Attribute conceptRef=\"AVAILABILITY\" codelist=\"CL_AVAILABILITY\" attachmentLevel=\"Group\" ",
          "assignmentStatus=\"Mandatory\" crossSectionalAttachDataSet=\"false\" ", group_yes, section_no,
          "crossSectionalAttachObservation=\"false\"> "});
    group();
    open({"<structure:Attribute conceptRef=\"TIME_FORMAT\" codelist=\"CL_TIME_FORMAT\" attachmentLevel=\"Series\" ",
          "assignmentStatus=\"Mandatory\" isTimeFormat=\"true\" ", dataset_no, group_no, section_yes,
          "crossSectionalAttachObservation=\"false\" /> "});
    open({"<structure:Attribute conceptRef=\"COLLECTION\" codelist=\"CL_COLLECTION\" attachmentLevel=\"Series\" ",
          "assignmentStatus=\"Mandatory\" crossSectionalAttachDataset=\"false\" ", group_no, section_yes,
          "crossSectionalAttachObservation=\"false\" /> "});
    open({"<structure:Attribute conceptRef=\"DECIMALS\" codelist=\"CL_DECIMALS\" attachmentLevel=\"Group\" ",
          "assignmentStatus=\"Mandatory\" crossSectionalAttachDataset=\"false\" ", group_yes, section_no,
          observation_no});
    group();
    open({"<structure:Attribute conceptRef=\"OBS_CONF\" codelist=\"CL_BIS_OBS_CONF\" "
          "attachmentLevel=\"Observation\" ",
          conditional, dataset_no, group_yes, section_no, observation_no});
    measures();
    open({"<structure:Attribute conceptRef=\"OBS_STATUS\" codelist=\"CL_OBS_STATUS\" "
          "attachmentLevel=\"Observation\" ",
          mandatory, group_no, section_no, observation_yes});
    measures();
    open({"<structure:Attribute conceptRef=\"OBS_PRE_BREAK\" attachmentLevel=\"Observation\" ", conditional,
          dataset_no, group_no, section_no, observation_yes});
    measures();
    open({"<structure:Attribute conceptRef=\"BIS_UNIT\" codelist=\"CL_BIS_UNIT\" attachmentLevel=\"Group\" ",
          mandatory, dataset_no, group_yes, section_no, observation_no});
    group();
}

void key_family(message& m) {
    m.w.line("<KeyFamilies>");
    m.w.start_tag("structure:KeyFamily", {{"id", m.t.matrix.value_or("")}});
    m.w.element("structure:Name", m.t.title.empty() ? std::string_view() : std::string_view(m.t.title.front()),
                {{"xml:lang", "en"}});
    m.w.line("<structure:Components>");
    m.w.line("<structure:Dimension conceptRef=\"FREQ\" codelist=\"CL_FREQ\" isFrequencyDimension=\"true\"/>");
    m.w.line("<structure:Dimension conceptRef=\"JD_TYPE\" codelist=\"CL_JD_TYPE\" isMeasureDimension=\"true\"/>");
    m.w.line("<structure:TimeDimension conceptRef=\"TIME\" crossSectionalAttachGroup=\"true\"/>");
    m.w.line("<structure:Group id=\"SiblingGroup\">");
    for (const variable& v : m.t.vars) m.w.element("structure:DimensionRef", list_name(v));
    m.w.line("</structure:Group>");
    m.w.line("<structure:PrimaryMeasure conceptRef=\"OBS_VALUE\">");
    m.w.line("<structure:TextFormat textType=\"DOUBLE\" />");
    m.w.line("</structure:PrimaryMeasure>");
    m.w.line("<structure:CrossSectionalMeasure conceptRef=\"STOCKS\" measureDimension=\"xx\" code=\"P\" />");
    m.w.line("<structure:CrossSectionalMeasure conceptRef=\"FLOWS\" measureDimension=\"xx\" code=\"Q\" />");
    attributes(m);
    m.w.line("</structure:Components>");
    m.w.line("</structure:KeyFamily>");
    m.w.line("</KeyFamilies>");
}

// The root of each message type; "" for a type without one.
std::string_view data_root(int type) noexcept {
    switch (type) {
    case 1:
        return "GenericData";
    case 2:
        return "CompactData";
    case 3:
        return "CrossSectionalData";
    default:
        return {};
    }
}

int convert(const std::string& infile, const std::string& outfile, int type, const std::string& lang) {
    xml_source s;
    out_file out;
    if (const int rc = open_xml_source(infile, outfile, s, out, false); rc != 0) return rc;
    message m{markup_writer(out), s.t, lang};
    m.w.line("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>");
    const std::string_view root = data_root(type);
    if (type == 0)
        m.w.start_tag("Structure", {{"xmlns:structure", structure_namespace}});
    else if (!root.empty())
        m.w.start_tag(root);
    else
        m.w.end_line();
    header(m);
    if (type != 0) {
        // A data message carries no data from here; its header and root are
        // closed so that it is a document a parser accepts.
        m.w.line("</Header>");
        if (!root.empty()) m.w.end_tag(root);
        return out.close() ? 0 : codes::cannot_open;
    }
    m.w.raw_element("Extracted", prepared);
    m.w.line("</Header>");
    code_lists(m);
    concepts(m);
    key_family(m);
    m.w.line("</Structure>");
    return out.close() ? 0 : codes::cannot_open;
}

}  // namespace

int sdmxsave(const std::string& infile, const std::string& outfile, int type, const std::string& lang) noexcept {
    return run_export("sdmxsave", {}, [&] { return convert(infile, outfile, type, lang); });
}

}  // namespace vt
