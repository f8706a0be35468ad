// Tests of the XML exports: whole documents of small tables from the XML
// cube (both data modes), SDMX (structure and data messages) and statinfo
// (keys, XDF and CALS), their edge cases, the failure codes, the library
// exports and the batch functions, and every document of the sample
// tables checked by an XML parser.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "export/sdmx.h"
#include "export/xdf.h"
#include "export/xmlcube.h"

namespace {

namespace fs = std::filesystem;

// Lines joined with CR LF, each line ended.
std::string lines(std::initializer_list<const char*> ls) {
    std::string s;
    for (const char* l : ls) s.append(l).append("\r\n");
    return s;
}

std::string table_text(const std::string& head, const std::string& data) {
    return "CHARSET=\"ANSI\";\nMATRIX=\"M1\";\nSUBJECT-AREA=\"Trade & <more>\";\nSUBJECT-CODE=\"SC\";\n"
           "TITLE=\"Trade by\",\"region\";\nCONTENTS=\"Trade\";\nUNITS=\"SEK\";\nDECIMALS=1;\n" +
           head + "DATA=\n" + data + "\n";
}

// One stub variable with coded values, one heading variable, a cell note.
const std::string small_head =
    "STUB=\"region\";\nHEADING=\"year\";\nVALUES(\"region\")=\"north\",\"a&b\";\n"
    "VALUES(\"year\")=\"2020\",\"2021\";\nCODES(\"region\")=\"N\",\"AB\";\n"
    "PRECISION(\"region\",\"a&b\")=2;\nCELLNOTE(\"*\",\"2021\")=\"See <B>this</B> & that\";\n";
const std::string small = table_text(small_head, "1 \"..\" \n0 0.01;");

class XmlTest : public ::testing::Test {
protected:
    std::string in() const { return dir_.file("tab.vt"); }
    std::string out() const { return dir_.file("tab.xml"); }

    // Runs `convert` on `table`; the document, or "" with the code in rc_.
    template <class F>
    std::string run(const std::string& table, F&& convert) {
        dir_.write("tab.vt", table);
        fs::remove(out());
        rc_ = convert(in(), out());
        return rc_ == 0 ? dir_.read("tab.xml") : std::string();
    }
    std::string cube(const std::string& table, int mode) {
        return run(table, [mode](const std::string& i, const std::string& o) { return vt::xmlsave(i, o, mode); });
    }
    std::string sdmx(const std::string& table, int type, const std::string& lang = "en") {
        return run(table, [&](const std::string& i, const std::string& o) { return vt::sdmxsave(i, o, type, lang); });
    }
    std::string xdf(const std::string& table, int type, int rounding = 0, int doctype = 0,
                    const std::string& lang = "en") {
        return run(table, [&](const std::string& i, const std::string& o) {
            return vt::xdfsave(i, o, type, lang, rounding, doctype);
        });
    }

    vt::test::temp_dir dir_;
    int rc_ = -1;
};

const std::string cube_metadata = lines({
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>",
    "<cube>",
    "<metadata>",
    "<charset>ANSI</charset>",
    "<velt-version>2004</velt-version>",
    "<subject code=\"SC\">Trade &amp; &lt;more&gt;</subject>",
    "<matrix>M1</matrix>",
    "<title>Trade by region</title>",
    "<contents>Trade</contents>",
    "<aggregallowed>YES</aggregallowed>",
    "<units>SEK</units>",
    "<decimals>1</decimals>",
    "<showdecimals>1</showdecimals>",
    "<dimensions>",
    "<dimension code=\"d1\" place=\"stub\" order=\"1\">",
    "<name>region</name>",
    "<values>",
    "<value code=\"N\">",
    "<name>north</name>",
    "</value>",
    "<value code=\"AB\">",
    "<name>a&amp;b</name>",
    "<precision>2</precision>",
    "</value>",
    "</values>",
    "</dimension>",
    "<dimension code=\"d2\" place=\"heading\" order=\"1\">",
    "<name>year</name>",
    "<values>",
    "<value code=\"2020\">",
    "<name>2020</name>",
    "</value>",
    "<value code=\"2021\">",
    "<name>2021</name>",
    "</value>",
    "</values>",
    "</dimension>",
    "</dimensions>",
    "<cellnote type=\"optional\" d1=\"*\" d2=\"2021\">",
    "See this &amp; that",
    "</cellnote>",
});

TEST_F(XmlTest, CubeWholeDocumentInBothDataModes) {
    EXPECT_EQ(cube(small, 0), cube_metadata + lines({"</metadata>", "<data>", "<![CDATA[1 \"..\" ", "0 0.01 ",
                                                     "]]></data>", "</cube>"}));
    EXPECT_EQ(cube(small, 1), cube_metadata + lines({"<datadefault>0</datadefault>", "</metadata>", "<data>",
                                                     "<cell d1=\"N\" d2=\"2020\">1.00</cell>",
                                                     "<cell d1=\"N\" d2=\"2021\">\"..\"</cell>",
                                                     "<cell d1=\"AB\" d2=\"2021\">0.01</cell>", "</data>", "</cube>"}));
}

TEST_F(XmlTest, CubeBlockCopiesTokensRowByRowAndClosesShortData) {
    // Without heading variables every token stands on a line of its own; a
    // token with doubled quotes loses the outer ones; "," and ";" become
    // blanks; data that end early still close the block and the document.
    const std::string head = "STUB=\"region\";\nVALUES(\"region\")=\"north\",\"south\",\"east\";\n";
    const std::string doc = cube(table_text(head, "1,\"\".\"\" \n2;"), 0);
    ASSERT_EQ(rc_, 0);
    const std::string tail = lines({"<data>", "<![CDATA[1 ", "\".\" ", "2 ", "]]></data>", "</cube>"});
    ASSERT_GE(doc.size(), tail.size());
    EXPECT_EQ(doc.substr(doc.size() - tail.size()), tail);
    EXPECT_NE(doc.find(lines({"<dimension code=\"d1\" place=\"stub\" order=\"1\">", "<name>region</name>"})),
              std::string::npos);
    // A token holding the block's end is split over two blocks.
    const std::string odd = cube(table_text(head, "a]]>b 2 3;"), 0);
    EXPECT_NE(odd.find("<![CDATA[a]]]]><![CDATA[>b \r\n2 "), std::string::npos) << odd;
}

TEST_F(XmlTest, CubeHeadKeywordsVariablesAndContentsBlocks) {
    const std::string head =
        "STUB=\"contents\",\"region\";\nHEADING=\"year\";\nCONTVARIABLE=\"contents\";\n"
        "VALUES(\"contents\")=\"Imports\",\"Exports\";\nVALUES(\"region\")=\"north\",\"south\";\n"
        "VALUES(\"year\")=\"2001\";\nTIMEVAL(\"year\")=TLIST(A1),\"2001\";\nCOPYRIGHT=YES;\nAGGREGALLOWED=NO;\n"
        "MAP(\"region\")=\"m&1\";\nPARTITIONED(\"region\")=\"part\",2,3;\nELIMINATION(\"region\")=\"north\";\n"
        "NOTEX(\"region\")=\"must\";\nVALUENOTE(\"region\",\"south\")=\"opt\";\n"
        "UNITS(\"Imports\")=\"tons\";\nUNITS(\"Exports\")=\"SEK\";\nLAST-UPDATED(\"Imports\")=\"20040101 10:00\";\n"
        "STOCKFA(\"Imports\")=\"S\";\nCONTACT(\"Imports\")=\"Eva & Bo\";\n";
    const std::string doc = cube(table_text(head, "1 2 3 4;"), 0);
    ASSERT_EQ(rc_, 0);
    for (const std::string& part :
         {lines({"<aggregallowed>NO</aggregallowed>", "<units>SEK</units>"}),
          lines({"<copyright>YES</copyright>", "<dimensions>"}),
          lines({"<name>contents</name>", "<dimtype>contents</dimtype>", "<values>", "<value code=\"Imports\">",
                 "<name>Imports</name>", "<last-updated>20040101 10:00</last-updated>", "<stockfa>S</stockfa>",
                 "<units>tons</units>", "<contact>Eva &amp; Bo</contact>", "</value>"}),
          lines({"<name>region</name>", "<dimtype>geo</dimtype>", "<map>m&amp;1</map>",
                 "<partitioned>", "<part no=\"1\" start=\"2\">", "<name>part</name>", "<partlength>3</partlength>",
                 "</part>", "</partitioned>", "<elimination>north</elimination>",
                 "<note type=\"mandatory\">must</note>", "<values>"}),
          lines({"<name>south</name>", "<valuenote type=\"optional\">opt</valuenote>", "</value>"}),
          lines({"<name>year</name>", "<dimtype>time</dimtype>", "<frequency>A1</frequency>", "<values>"})})
        EXPECT_NE(doc.find(part), std::string::npos) << part;
    // A contents variable moves the contents information to its values.
    EXPECT_LT(doc.find("<dimensions>"), doc.find("<last-updated>"));
}

TEST_F(XmlTest, FailuresReturnTheirCodesAndNeverTouchTheInput) {
    using conv = int (*)(const std::string&, const std::string&);
    const conv all[] = {
        [](const std::string& i, const std::string& o) { return vt::xmlsave(i, o, 0); },
        [](const std::string& i, const std::string& o) { return vt::xmlsave(i, o, 1); },
        [](const std::string& i, const std::string& o) { return vt::sdmxsave(i, o, 0, "en"); },
        [](const std::string& i, const std::string& o) { return vt::xdfsave(i, o, 1, "en", 0, 1); },
        [](const std::string& i, const std::string& o) { return vt::xdfsave(i, o, 3, "en", 0, 1); },
    };
    for (conv c : all) {
        EXPECT_EQ(c(dir_.file("missing.vt"), out()), 400);
        EXPECT_FALSE(fs::exists(out()));
        dir_.write("tab.vt", small);
        for (const std::string& same : {in(), dir_.path().string() + "/./tab.vt", dir_.file("TAB.VT")})
            EXPECT_EQ(c(in(), same), 400) << "the output would replace the input: " << same;
        EXPECT_EQ(dir_.read("tab.vt"), small);
        EXPECT_EQ(c(in(), dir_.file("no/such/dir.xml")), 400);
        // A document cut short by a full disk is reported, not passed off as written.
        if (fs::exists("/dev/full")) {
            EXPECT_EQ(c(in(), "/dev/full"), 400);
        }
        dir_.write("bad.vt", "CHARSET=\"ANSI\";\nSUBJECT-AREA=\"S\";\n");
        EXPECT_GT(c(dir_.file("bad.vt"), out()), 100);
        EXPECT_FALSE(fs::exists(out()));
    }
}

TEST_F(XmlTest, KeyedDataAreReadBeforeTheyAreWritten) {
    // A keyed section's rows start with their keys: the cells come out as
    // from a full-form section, in data order whatever the row order.
    const std::string keyed = table_text(small_head + "KEYS(\"region\")=VALUES;\n",
                                         "\"a&b\",0,0.01 \n\"north\",1,\"..\";");
    EXPECT_EQ(cube(keyed, 0), cube_metadata + lines({"</metadata>", "<data>", "<![CDATA[1.00 \"..\" ", "0.00 0.01 ",
                                                     "]]></data>", "</cube>"}));
    const std::string doc = xdf(keyed, 1);
    EXPECT_NE(doc.find(lines({"<keys valuesCodes=\"values\" />"})), std::string::npos);
    EXPECT_NE(doc.find(lines({"<cell cellIdRefs=\"var1val1 var2val1\">1.00</cell>",
                              "<cell cellIdRefs=\"var1val1 var2val2\">..</cell>",
                              "<cell cellIdRefs=\"var1val2 var2val2\">0.01</cell>", "</data>"})),
              std::string::npos);
}

// The text with each LF turned into CR LF.
std::string crlf(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c == '\n') s += '\r';
        s += c;
    }
    return s;
}

// Attribute start lines end in a blank, as the receivers of the message expect.
constexpr std::string_view sdmx_structure = R"(<?xml version="1.0" encoding="iso-8859-1" ?>
<Structure xmlns:structure="http://www.SDMX.org/resources/SDMXML/schemas/v2_0/structure">
<Header>
<ID>M1</ID>
<Test>true</Test>
<Truncated>false</Truncated>
<Name xml:lang="en">nn</Name>
<Prepared>2006-04-12T08:00:00</Prepared>
<Sender id="xx">
<Name xml:lang="en">nn</Name>
<Contact>
<Name xml:lang="en">nn</Name>
<Telephone>000</Telephone>
</Contact>
</Sender>
<Receiver id="xx">
<Name xml:lang="en">nn</Name>
<Contact>
<Name xml:lang="en">nn</Name>
<Telephone>000</Telephone>
</Contact>
</Receiver>
<Extracted>2006-04-12T08:00:00</Extracted>
</Header>
<Codelists>
<structure:Codelist id="CL_OBS_STATUS">
<structure:Code value="A">
<structure:Description xml:lang="en">Present</structure:Description>
</structure:Code>
<structure:Code value="M">
<structure:Description xml:lang="en">Missing</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="CL_FREQ">
<structure:Description xml:lang="en">Frequency</structure:Description>
<structure:Code value="A">
<structure:Description xml:lang="en">Annual</structure:Description>
</structure:Code>
<structure:Code value="Q">
<structure:Description xml:lang="en">Quarterly</structure:Description>
</structure:Code>
<structure:Code value="M">
<structure:Description xml:lang="en">Monthly</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="CL_TIME_FORMAT">
<structure:Description xml:lang="en">Time formats based on ISO 8601</structure:Description>
<structure:Code value="P1Y">
<structure:Description xml:lang="en">Annual</structure:Description>
</structure:Code>
<structure:Code value="P3M">
<structure:Description xml:lang="en">Quarterly</structure:Description>
</structure:Code>
<structure:Code value="P1M">
<structure:Description xml:lang="en">Monthly</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="region">
<structure:Description xml:lang="en">region</structure:Description>
<structure:Code value="N">
<structure:Description xml:lang="en">north</structure:Description>
</structure:Code>
<structure:Code value="AB">
<structure:Description xml:lang="en">a&amp;b</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="year">
<structure:Description xml:lang="en">year</structure:Description>
<structure:Code value="2020">
<structure:Description xml:lang="en">2020</structure:Description>
</structure:Code>
<structure:Code value="2021">
<structure:Description xml:lang="en">2021</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="CL_AVAILABILITY">
<structure:Description xml:lang="en">Availability</structure:Description>
<structure:Code value="A">
<structure:Description xml:lang="en">Free</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="refperiod">
<structure:Description xml:lang="en">referance period</structure:Description>
<structure:Code value="">
<structure:Description xml:lang="en">refperiod</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="showdecimals">
<structure:Description xml:lang="en">showdecimals</structure:Description>
<structure:Code value="1">
<structure:Description xml:lang="en">one</structure:Description>
</structure:Code>
</structure:Codelist>
<structure:Codelist id="units">
<structure:Description xml:lang="en">units</structure:Description>
<structure:Code value="number">
<structure:Description xml:lang="en">number</structure:Description>
</structure:Code>
</structure:Codelist>
</Codelists>
<Concepts>
<structure:Concept id="TIME">
<structure:Name xml:lang="en">Time</structure:Name>
</structure:Concept>
<structure:Concept id="FREQ">
<structure:Name xml:lang="en">Frequency</structure:Name>
</structure:Concept>
<structure:Concept id="DECIMALS">
<structure:Name xml:lang="en">Decimals</structure:Name>
</structure:Concept>
<structure:Concept id="UNIT">
<structure:Name xml:lang="en">Unit</structure:Name>
</structure:Concept>
</Concepts>
<KeyFamilies>
<structure:KeyFamily id="M1">
<structure:Name xml:lang="en">Trade by</structure:Name>
<structure:Components>
<structure:Dimension conceptRef="FREQ" codelist="CL_FREQ" isFrequencyDimension="true"/>
<structure:Dimension conceptRef="JD_TYPE" codelist="CL_JD_TYPE" isMeasureDimension="true"/>
<structure:TimeDimension conceptRef="TIME" crossSectionalAttachGroup="true"/>
<structure:Group id="SiblingGroup">
<structure:DimensionRef>region</structure:DimensionRef>
<structure:DimensionRef>year</structure:DimensionRef>
</structure:Group>
<structure:PrimaryMeasure conceptRef="OBS_VALUE">
<structure:TextFormat textType="DOUBLE" />
</structure:PrimaryMeasure>
<structure:CrossSectionalMeasure conceptRef="STOCKS" measureDimension="xx" code="P" />
<structure:CrossSectionalMeasure conceptRef="FLOWS" measureDimension="xx" code="Q" />
<structure:Attribute conceptRef="AVAILABILITY" codelist="CL_AVAILABILITY" attachmentLevel="Group" assignmentStatus="Mandatory" crossSectionalAttachDataSet="false" crossSectionalAttachGroup="true" crossSectionalAttachSection="false" crossSectionalAttachObservation="false"> 
<structure:AttachmentGroup>SiblingGroup</structure:AttachmentGroup>
</structure:Attribute>
<structure:Attribute conceptRef="TIME_FORMAT" codelist="CL_TIME_FORMAT" attachmentLevel="Series" assignmentStatus="Mandatory" isTimeFormat="true" crossSectionalAttachDataset="false" crossSectionalAttachGroup="false" crossSectionalAttachSection="true" crossSectionalAttachObservation="false" /> 
<structure:Attribute conceptRef="COLLECTION" codelist="CL_COLLECTION" attachmentLevel="Series" assignmentStatus="Mandatory" crossSectionalAttachDataset="false" crossSectionalAttachGroup="false" crossSectionalAttachSection="true" crossSectionalAttachObservation="false" /> 
<structure:Attribute conceptRef="DECIMALS" codelist="CL_DECIMALS" attachmentLevel="Group" assignmentStatus="Mandatory" crossSectionalAttachDataset="false" crossSectionalAttachGroup="true" crossSectionalAttachSection="false" crossSectionalAttachObservation="false" > 
<structure:AttachmentGroup>SiblingGroup</structure:AttachmentGroup>
</structure:Attribute>
<structure:Attribute conceptRef="OBS_CONF" codelist="CL_BIS_OBS_CONF" attachmentLevel="Observation" assignmentStatus="Conditional" crossSectionalAttachDataset="false" crossSectionalAttachGroup="true" crossSectionalAttachSection="false" crossSectionalAttachObservation="false" > 
<structure:AttachmentMeasure>P</structure:AttachmentMeasure>
<structure:AttachmentMeasure>Q</structure:AttachmentMeasure>
</structure:Attribute>
<structure:Attribute conceptRef="OBS_STATUS" codelist="CL_OBS_STATUS" attachmentLevel="Observation" assignmentStatus="Mandatory" crossSectionalAttachGroup="false" crossSectionalAttachSection="false" crossSectionalAttachObservation="true" > 
<structure:AttachmentMeasure>P</structure:AttachmentMeasure>
<structure:AttachmentMeasure>Q</structure:AttachmentMeasure>
</structure:Attribute>
<structure:Attribute conceptRef="OBS_PRE_BREAK" attachmentLevel="Observation" assignmentStatus="Conditional" crossSectionalAttachDataset="false" crossSectionalAttachGroup="false" crossSectionalAttachSection="false" crossSectionalAttachObservation="true" > 
<structure:AttachmentMeasure>P</structure:AttachmentMeasure>
<structure:AttachmentMeasure>Q</structure:AttachmentMeasure>
</structure:Attribute>
<structure:Attribute conceptRef="BIS_UNIT" codelist="CL_BIS_UNIT" attachmentLevel="Group" assignmentStatus="Mandatory" crossSectionalAttachDataset="false" crossSectionalAttachGroup="true" crossSectionalAttachSection="false" crossSectionalAttachObservation="false" > 
<structure:AttachmentGroup>SiblingGroup</structure:AttachmentGroup>
</structure:Attribute>
</structure:Components>
</structure:KeyFamily>
</KeyFamilies>
</Structure>
)";

TEST_F(XmlTest, SdmxStructureWholeMessage) { EXPECT_EQ(sdmx(small, 0), crlf(sdmx_structure)); }

TEST_F(XmlTest, SdmxDataMessagesAreTheHeaderClosedWithTheRoot) {
    const std::string party = lines({"<Name xml:lang=\"en\">nn</Name>", "<Contact>", "<Name xml:lang=\"en\">nn</Name>",
                                     "<Telephone>000</Telephone>", "</Contact>"});
    const std::string header =
        lines({"<Header>", "<ID>M1</ID>", "<Test>true</Test>", "<Truncated>false</Truncated>",
               "<Name xml:lang=\"en\">nn</Name>", "<Prepared>2006-04-12T08:00:00</Prepared>", "<Sender id=\"xx\">"}) +
        party + lines({"</Sender>", "<Receiver id=\"xx\">"}) + party + lines({"</Receiver>", "</Header>"});
    const std::string prologue = lines({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>"});
    EXPECT_EQ(sdmx(small, 1), prologue + lines({"<GenericData>"}) + header + lines({"</GenericData>"}));
    EXPECT_EQ(sdmx(small, 2), prologue + lines({"<CompactData>"}) + header + lines({"</CompactData>"}));
    EXPECT_EQ(sdmx(small, 3), prologue + lines({"<CrossSectionalData>"}) + header + lines({"</CrossSectionalData>"}));
    EXPECT_EQ(sdmx(small, 7), prologue + "\r\n" + header);
}

const char* const xdf_keys_document[] = {
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
    "<!DOCTYPE statinfo_keys PUBLIC \"-//KELDA//DTD STATINFO_KEYS 1.0//EN\" \"statinfo_keys.dtd\">",
    "<statinfo_keys>",
    "<tabletitlegrp tableIdRef=\"meta\">",
    "<tabletitle xml:lang=\"en\">",
    "<tablemaintitle>Trade by region</tablemaintitle>",
    "</tabletitle>",
    "</tabletitlegrp>",
    "<docmeta>",
    "<subjectgrp>",
    "<subject xml:lang=\"en\">Trade &amp; &lt;more&gt;</subject>",
    "</subjectgrp>",
    "<typegrp>",
    "<type>VELTRA</type>",
    "</typegrp>",
    "<language>",
    "<main_language>en</main_language>",
    "</language>",
    "<document_info>",
    "<categories type=\"SC\"/>",
    "</document_info>",
    "<identifier>",
    "<documentnumber>M1</documentnumber>",
    "</identifier>",
    "</docmeta>",
    "<procmeta>",
    "<vtmeta>",
    "<veltversion>2005></veltversion>",
    "<charset>ANSI</charset>",
    "<contentsgrp>",
    "<contents xml:lang=\"en\">Trade</contents>",
    "</contentsgrp>",
    "<decimals number=\"1\" />",
    "<showdecimals number=\"1\" />",
    "<vtvariable procmetaId=\"vtvar1\">",
    "<vtvalue procmetaId=\"vtvar1vtval2\">",
    "<precision number=\"2\" />",
    "</vtvalue>",
    "</vtvariable>",
    "<vtvariable procmetaId=\"vtvar2\">",
    "</vtvariable>",
    "</vtmeta>",
    "</procmeta>",
    "<statmeta>",
    "<variable variableId=\"var1\">",
    "<variablenamegrp>",
    "<variablename xml:lang=\"en\">region</variablename>",
    "</variablenamegrp>",
    "</variable>",
    "<variable variableId=\"var2\">",
    "<variablenamegrp>",
    "<variablename xml:lang=\"en\">year</variablename>",
    "</variablenamegrp>",
    "</variable>",
    "</statmeta>",
    "<tablemeta tableId=\"meta\">",
    "<tableunitsgrp>",
    "<tableunits xml:lang=\"en\">SEK</tableunits>",
    "</tableunitsgrp>",
    "</tablemeta>",
    "<statdata>",
    "<statkeys>",
    "<array>",
    "<fieldAxis>",
    "<field>",
    "<name>",
    "<textlang xml:lang=\"en\">year</textlang>",
    "</name>",
    "</field>",
    "</fieldAxis>",
    "<axis axisId=\"axisvar1\" procmetaIdRef=\"vtvar1\" axisIdRef=\"var1\">",
    "<name>",
    "<textlang xml:lang=\"en\">region</textlang>",
    "</name>",
    "<value valueId=\"var1val1\">",
    "<textlang xml:lang=\"en\">north</textlang>",
    "</value>",
    "<value valueId=\"var1val2\">",
    "<textlang xml:lang=\"en\">a&amp;b</textlang>",
    "</value>",
    "<valueList>N,AB</valueList>",
    "</axis>",
    "<axis axisId=\"axisvar2\" procmetaIdRef=\"vtvar2\" axisIdRef=\"var2\">",
    "<name>",
    "<textlang xml:lang=\"en\">year</textlang>",
    "</name>",
    "<value valueId=\"var2val1\">",
    "<textlang xml:lang=\"en\">2020</textlang>",
    "</value>",
    "<value valueId=\"var2val2\">",
    "<textlang xml:lang=\"en\">2021</textlang>",
    "</value>",
    "</axis>",
    "<read>",
    "<for axisIdRef=\"axisvar1\">",
    "<for axisIdRef=\"axisvar2\">",
    "<readCell />",
    "<skipChars count=\"1\" output=\"\" />",
    "</for>",
    "</for>",
    "</read>",
    "<notes>",
    "<locationOrder>",
    "<index axisIdRef=\"axisvar1\" />",
    "<index axisIdRef=\"axisvar2\" />",
    "</locationOrder>",
    "<location>*  2 </location>",
    "<notegrp forcedNote=\"no\">",
    "<note xml:lang=\"en\">See this &amp; that</note>",
    "</notegrp>",
    "</notes>",
    "<data>",
    "<cell cellIdRefs=\"var1val1 var2val1\">1.00</cell>",
    "<cell cellIdRefs=\"var1val1 var2val2\">..</cell>",
    "<cell cellIdRefs=\"var1val2 var2val2\">0.01</cell>",
    "</data>",
    "</array>",
    "</statkeys>",
    "</statdata>",
    "</statinfo_keys>",
};

std::string joined(const char* const* b, const char* const* e) {
    std::string s;
    for (; b != e; ++b) s.append(*b).append("\r\n");
    return s;
}

TEST_F(XmlTest, StatinfoKeysWholeDocument) {
    EXPECT_EQ(xdf(small, 1, 0, 1), joined(std::begin(xdf_keys_document), std::end(xdf_keys_document)));
}

TEST_F(XmlTest, StatinfoXdfCopiesTheBlockAndOtherTypesTakeTheCalsRoot) {
    const std::string doc = xdf(small, 2);
    EXPECT_EQ(doc.substr(0, 66), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<statinfo_xdf>\r\n<tab");
    EXPECT_NE(doc.find(lines({"<statdata>", "<xdf>", "<array>"})), std::string::npos);
    EXPECT_NE(doc.find(lines({"<data>", "<![CDATA[1 \"..\" ", "0 0.01 ", "]]></data>", "</array>", "</xdf>",
                              "</statdata>", "</statinfo_xdf>"})),
              std::string::npos);
    const std::string other = xdf(small, 0, 0, 1);
    EXPECT_NE(other.find(lines({"<!DOCTYPE statinfo_cals PUBLIC \"-//KELDA//DTD STATINFO_CALS 1.0//EN\" "
                                "\"statinfo_cals.dtd\">",
                                "<statinfo_cals>"})),
              std::string::npos);
    EXPECT_NE(other.find(lines({"</xdf>", "</statdata>", "</statinfo_cals>"})), std::string::npos);
}

TEST_F(XmlTest, StatinfoTableOverridesDatesAndVersion) {
    // The table's LANGUAGE and CODEPAGE win; a long date gives its time, a
    // 13-character one none; the last update is "modified".
    const std::string head = small_head + "LANGUAGE=\"sv\";\nCODEPAGE=\"iso-8859-15\";\nVELT-VERSION=\"2006\";\n"
                                          "CREATION-DATE=\"20040102 09:30\";\nLAST-UPDATED=\"2005-03-04 11:45:00\";\n";
    std::string doc = xdf(table_text(head, "1 2 3 4;"), 1);
    ASSERT_EQ(rc_, 0);
    EXPECT_EQ(doc.substr(0, 47), "<?xml version=\"1.0\" encoding=\"ISO-8859-15\" ?>\r\n");
    EXPECT_NE(doc.find(lines({"<date>", "<published>", "<day>2004-01-02</day>", "<time>09:30</time>", "</published>",
                              "<modified>", "<day>2005-03-04</day>", "<time>11:45</time></modified>", "</date>"})),
              std::string::npos);
    EXPECT_NE(doc.find("<tabletitle xml:lang=\"sv\">"), std::string::npos);
    EXPECT_NE(doc.find("<main_language>sv</main_language>"), std::string::npos);
    EXPECT_NE(doc.find("<veltversion>2006</veltversion>"), std::string::npos);
    doc = xdf(table_text(small_head + "CREATION-DATE=\"20040102 0930\";\n", "1;"), 1);
    EXPECT_NE(doc.find(lines({"<published>", "<day>2004-01-02</day>", "</published>", "</date>"})),
              std::string::npos);
}

TEST_F(XmlTest, CalsTableOfOneStubAndOneHeadingVariable) {
    const std::string doc = xdf(small, 3);
    ASSERT_EQ(rc_, 0);
    const std::string cals = lines({
        "</procmeta>",
        "<statdata>",
        "<tgroup cols=\"3\">",
        "<colspec colname=\"1\" colnum=\"1\" hierarchylevel=\"0\" />",
        "<colspec colname=\"2\" colnum=\"2\" />",
        "<colspec colname=\"3\" colnum=\"3\" />",
        "<thead>",
        "<row hierarchylevel=\"0\">",
        "<entry colname=\"1\" morerows=\"1\">",
        "<para xml:lang=\"en\">region</para>",
        "<metadataref linkend=\"var1\" procmetaIdRef=\"vtvar1\">*</metadataref>",
        "</entry>",
        "<entry colname=\"2\" namest=\"2\" nameend=\"3\">",
        "<para xml:lang=\"en\">year</para>",
        "<metadataref linkend=\"var2\" procmetaIdRef=\"vtvar2\">*</metadataref>",
        "</entry>",
        "</row>",
        "<row hierarchylevel=\"1\">",
        "<entry colname=\"2\">",
        "<para xml:lang=\"en\">2020</para>",
        "</entry>",
        "<entry colname=\"3\">",
        "<para xml:lang=\"en\">2021</para>",
        "</entry>",
        "</row>",
        "</thead>",
        "<tbody>",
        "<row>",
        "<entry>",
        "<para xml:lang=\"en\">north</para>",
        "</entry>",
        "<entry>1.0</entry>",
        "<entry>..</entry>",
        "</row>",
        "<row>",
        "<entry>",
        "<para xml:lang=\"en\">a&amp;b</para>",
        "</entry>",
        "<entry>0.00</entry>",
        "<entry>0.01</entry>",
        "</row>",
        "</tbody>",
        "</tgroup>",
        "</statdata>",
        "<statmeta>",
    });
    EXPECT_NE(doc.find(cals), std::string::npos) << doc;
    EXPECT_EQ(doc.substr(doc.size() - 32), "</tablemeta>\r\n</statinfo_cals>\r\n");
}

TEST_F(XmlTest, CalsHeadingRowsSpanTheirColumnsAndStubEntriesTheirRows) {
    const std::string head =
        "STUB=\"a\",\"b\";\nHEADING=\"h1\",\"h2\";\nVALUES(\"a\")=\"a1\",\"a2\";\nVALUES(\"b\")=\"b1\",\"b2\";\n"
        "VALUES(\"h1\")=\"x\",\"y\";\nVALUES(\"h2\")=\"p\",\"q\",\"r\";\nDATANOTECELL(\"*\",\"*\",\"x\",\"p\")=\"#\";\n";
    std::string data;
    for (int i = 0; i < 24; ++i) data += std::to_string(i) + (i % 6 == 5 ? " \n" : " ");
    const std::string doc = xdf(table_text(head, data + ";"), 3, 1);
    ASSERT_EQ(rc_, 0);
    auto entry = [](const char* attrs, const char* text) {
        return std::string("<entry ") + attrs + ">\r\n<para xml:lang=\"en\">" + text + "</para>\r\n";
    };
    for (const std::string& part : {
             lines({"<tgroup cols=\"8\">", "<colspec colname=\"1\" colnum=\"1\" hierarchylevel=\"0\" />",
                    "<colspec colname=\"2\" colnum=\"2\" hierarchylevel=\"1\" />", "<colspec colname=\"3\" colnum=\"3\" />"}),
             entry("colname=\"1\" morerows=\"3\"", "a"),
             entry("colname=\"2\" morerows=\"3\"", "b"),
             entry("colname=\"3\" namest=\"3\" nameend=\"8\"", "h1"),
             "<row hierarchylevel=\"1\">\r\n" + entry("colname=\"3\" namest=\"3\" nameend=\"5\"", "x") + "</entry>\r\n" +
                 entry("colname=\"6\" namest=\"6\" nameend=\"8\"", "y"),
             "<row hierarchylevel=\"2\">\r\n" + entry("colname=\"3\" namest=\"3\" nameend=\"5\"", "h2"),
             entry("colname=\"6\" namest=\"6\" nameend=\"8\"", "h2"),
             "<row hierarchylevel=\"3\">\r\n" + entry("colname=\"3\"", "p"),
             entry("colname=\"8\"", "r") + "</entry>\r\n</row>\r\n</thead>\r\n",
             "<tbody>\r\n<row>\r\n" + entry("morerows=\"1\"", "a1") + "</entry>\r\n<entry>\r\n",
             lines({"<entry>5.0</entry>", "</row>", "<row>", "<entry>", "<para xml:lang=\"en\">b2</para>"}),
             lines({"<entry>23.0</entry>", "</row>", "</tbody>", "</tgroup>", "<footnotes>", "<footnote id=\"note1\">",
                    "<notegrp dataNote=\"1\">", "<note xml:lang=\"en\">#</note>", "</notegrp>", "</footnote>",
                    "</footnotes>", "</statdata>"}),
         })
        EXPECT_NE(doc.find(part), std::string::npos) << part;
    // Four stub rows: a1 opens the first, a2 the third.
    EXPECT_NE(doc.find(lines({"<entry>11.0</entry>", "</row>", "<row>"}) + entry("morerows=\"1\"", "a2")),
              std::string::npos);
}

// The documents of the sample tables and of a table with "&", "<" and ">"
// in every text an export escapes, each checked by an XML parser.
TEST_F(XmlTest, EveryDocumentIsWellFormed) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "skipped: xmllint (Debian package libxml2-utils) is not installed";
    const std::string head =
        "STUB=\"r<&>\",\"c<&>\";\nHEADING=\"y<&>\";\nCONTVARIABLE=\"c<&>\";\n"
        "VALUES(\"r<&>\")=\"a<&>\",\"b<&>\";\nVALUES(\"c<&>\")=\"k<&>\";\nVALUES(\"y<&>\")=\"2001\",\"t<&>\";\n"
        "CODES(\"r<&>\")=\"A<&>\",\"B<&>\";\nDESCRIPTION=\"d<&>\";\nSOURCE=\"s<&>\";\nDATABASE=\"db<&>\";\n"
        "NOTE=\"n<&>\";\nNOTEX=\"x<&>\";\nINFO=\"i<&>\";\nSURVEY=\"v<&>\";\nDOMAIN(\"r<&>\")=\"dom<&>\";\n"
        "MAP(\"r<&>\")=\"map<&>\";\nNOTE(\"r<&>\")=\"vn<&>\";\nVALUENOTEX(\"r<&>\",\"a<&>\")=\"vx<&>\";\n"
        "PARTITIONED(\"r<&>\")=\"p<&>\",1;\nVARIABLE-TYPE(\"r<&>\")=\"vt<&>\";\n"
        "HIERARCHIES(\"r<&>\")=\"a<&>\",\"a<&>\":\"b<&>\";\nHIERARCHYNAMES(\"r<&>\")=\"h<&>\";\n"
        "UNITS(\"k<&>\")=\"u<&>\";\nCONTACT(\"k<&>\")=\"co<&>\";\nREFPERIOD(\"k<&>\")=\"rp<&>\";\n"
        "BASEPERIOD(\"k<&>\")=\"bp<&>\";\nCELLNOTE(\"a<&>\",\"*\",\"*\")=\"cn<&>\";\n"
        "CELLNOTEX(\"*\",\"*\",\"t<&>\")=\"cx<&>\";\nDATANOTECELL(\"*\",\"*\",\"*\")=\"#\";\n";
    std::vector<std::string> tables = {table_text(head, "1 2 3 \".\";")};
    for (const auto& e : fs::directory_iterator(VT_TEST_DATA))
        if (e.path().extension() == ".vt") tables.push_back(vt::test::read_file(e.path().string()));
    for (std::size_t n = 0; n < tables.size(); ++n) {
        std::vector<std::string> docs = {cube(tables[n], 0), cube(tables[n], 1)};
        for (int type : {0, 1, 2, 3, 5}) docs.push_back(sdmx(tables[n], type));
        for (int type : {1, 2, 3, 4}) docs.push_back(xdf(tables[n], type, 0, 1));
        for (std::size_t d = 0; d < docs.size(); ++d) {
            ASSERT_FALSE(docs[d].empty()) << "table " << n << " document " << d;
            dir_.write("doc.xml", docs[d]);
            const std::string cmd = "xmllint --noout --nonet '" + dir_.file("doc.xml") + "'";
            EXPECT_EQ(std::system(cmd.c_str()), 0) << "table " << n << " document " << d << "\n" << docs[d];
        }
    }
}

TEST_F(XmlTest, LibraryExportsWriteWhatTheConversionsWrite) {
    void* lib = dlopen(VT_LIBVTCONV, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using cube_fn = int (*)(const char*, const char*, int);
    using sdmx_fn = int (*)(const char*, const char*, int, const char*);
    using xdf_fn = int (*)(const char*, const char*, int, const char*, int, int);
    auto xml = reinterpret_cast<cube_fn>(dlsym(lib, "xmlsave"));
    auto sd = reinterpret_cast<sdmx_fn>(dlsym(lib, "sdmxsave"));
    auto xd = reinterpret_cast<xdf_fn>(dlsym(lib, "xdfsave"));
    ASSERT_TRUE(xml && sd && xd);
    const std::string o = dir_.file("lib.xml");
    const std::string expected[3] = {cube(small, 1), sdmx(small, 0), xdf(small, 3, 1, 1)};
    EXPECT_EQ(xml(in().c_str(), o.c_str(), 1), 0);
    EXPECT_EQ(dir_.read("lib.xml"), expected[0]);
    EXPECT_EQ(sd(in().c_str(), o.c_str(), 0, "en"), 0);
    EXPECT_EQ(dir_.read("lib.xml"), expected[1]);
    EXPECT_EQ(xd(in().c_str(), o.c_str(), 3, "en", 1, 1), 0);
    EXPECT_EQ(dir_.read("lib.xml"), expected[2]);
    EXPECT_EQ(xd(nullptr, o.c_str(), 3, nullptr, 0, 0), 400);
    dlclose(lib);
}

TEST_F(XmlTest, BatchJobsOfBothQueryFormsRunTheExports) {
    // The XML query gives no language (its vtlangsuffix would be the
    // reader's language too, which this table does not have).
    const std::string expected[5] = {cube(small, 1), xdf(small, 3, 0, 1), sdmx(small, 0), xdf(small, 3, 0, 1, ""),
                                     xdf(small, 2, 0, 0, "")};
    auto ini = [this](const std::string& function, const std::string& query) {
        dir_.write("job.ini", "[Files]\nInfile=tab.vt\nOutfile=out.xml\nErrorfile=err.txt\n[Query]\nFunction=" +
                                  function + "\n" + query);
        return vt::test::run_vtbatch(dir_, "job.ini");
    };
    EXPECT_EQ(ini("VTML", "VTMLtype=1\n"), 0);
    EXPECT_EQ(dir_.read("out.xml"), expected[0]);
    EXPECT_EQ(dir_.read("err.txt"), "VTML ended OK ");
    EXPECT_EQ(ini("XMLC", "XMLtype=3\nIncDtd=1\nLanguage=en\n"), 0);
    EXPECT_EQ(dir_.read("out.xml"), expected[1]);
    EXPECT_EQ(ini("SDMX", "XMLtype=0\nLanguage=en\n"), 0);
    EXPECT_EQ(dir_.read("out.xml"), expected[2]);
    auto step = [](int n, const char* function, const char* out, const char* extra) {
        return "<vtquery step=\"" + std::to_string(n) + "\">\n<function>" + function +
               "</function>\n<infile>tab.vt</infile>\n<outfile>" + out + "</outfile>\n<errorfile>err" +
               std::to_string(n) + ".txt</errorfile>\n" + extra + "</vtquery>\n";
    };
    dir_.write("job.xml", "<vtqueries>\n" +
                              step(1, "XMLC3", "cals.xml", "<incDtd>1</incDtd>\n") + step(2, "XMLC2", "xdf.xml", "<incDtd>0</incDtd>\n") +
                              step(3, "SDMX", "sdmx.xml", "") + "</vtqueries>\n");
    EXPECT_EQ(vt::test::run_vtbatch(dir_, "job.xml"), 0);
    EXPECT_EQ(dir_.read("cals.xml"), expected[3]);
    EXPECT_EQ(dir_.read("xdf.xml"), expected[4]);
    // The SDMX step takes the type of the XMLC step before it: 2, a data message.
    EXPECT_EQ(dir_.read("sdmx.xml"), sdmx(small, 2, ""));
}

}  // namespace
