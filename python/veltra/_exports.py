"""The exports of both libraries as a table of signatures, one line each.

Each line reads like its C prototype with a result kind in front and the
Python defaults behind the arguments:
  code  the result is a code: 0 or negative success, positive an error
  one   returns 1 (the housekeeping exports)
  uint  an unsigned number
Argument kinds: path (a file name: str, bytes or os.PathLike), text (a
Windows-1252 text: str or bytes), textbuf (a text the library may write
back into, handed over in a buffer), int, uint, table (must be None: the
libraries work on files), listbox (a veltra.ListBox).

A test compares this table with include/vtconv.h and include/vtops.h, so an
export added there without a line here is caught.
"""

SYMBOLS = ".;..;...;....;.....;......;.......;-"
# The size of the buffer a textbuf argument (a text the library may rewrite)
# gets, as hosts size it (VT_DIALOG_BUFFER of vtops.h: the dialogues write
# at most that many bytes into one).
TEXT_BUFFER = 1000
# Buffers the library writes a text into, sized as its header says.
OUT_BUFFERS = {"status_out": 1000, "text_out": 256}

VTCONV = """
one VelInit()
one VelGFree()
uint SpaceSpec(int kind=1)
code TextConv(path infile, path outfile, int rowlength=100, int pagelength=100, int marglength=0, int oem=0, text decimalpoint=".", text symbols=SYMBOLS, int doublecolumn=0, int completeinfo=0, path labelfile="", int rounding=0, int noteplace=0, int thousand=0)
code htmkonv(path path, path path2, text text=SYMBOLS, int a=0, int b=0)
code htmkonv2(path path, path path2, text text=SYMBOLS, int a=0, int b=0)
code ExcelConv2005(path infile, path outfile, table table=None, text symbols=SYMBOLS, int doublecolumn=0, int completeinfo=0, path labelfile="", int datanote=0, int rounding=0, int rawvalues=0)
code AspConv(path path, path path2, int stubtype=1, text text=SYMBOLS, text decimalpoint=".", int thousand=0, int doublecolumn=0, int completeinfo=0, int nozero=0, text vtlang="", text guilang="", text uppercase="", int rounding=0, int datanoteoptplace=0)
code RelTable(path path, path path2, text decimal_point=".", text text_delimiter="", int iteration=0, text text=SYMBOLS, int rounding=0, int note_place=0)
code utgraph(path path, path path2, text decimal_point=".", text text_delimiter="", int iteration=0, text text=SYMBOLS, int rounding=0, int note_place=0)
code asmkonv(path path, path path2, text delimiter=" ", int oem=0, table table=None, text symbols=SYMBOLS, int rounding=0, int note_place=0)
code astkonv(path path, path path2, text delimiter=" ", int oem=0, table table=None, text symbols=SYMBOLS, int rounding=0, int note_place=0)
code cellkonv(path path, path path2, text delimiter=" ", table table=None, text text=SYMBOLS, int rounding=0)
code VtReSave(path path, path path2, int ansi=1)
code savevt(path path, path path2, int ignored=0, text ignored_name="", text description="", text subject="", int set_subject=0, int ansi=1, int keys_mode=0, int keep_keys=0)
code dbakonv(path path, path path2, text unit_name="", int ignored=0, table table=None)
code dbakonv2005(path path, path path2, text unit_name="", int ignored=0, table table=None, uint symbol_low=0, uint symbol_high=0)
code dbakonv2(path path, path path2, int ignored=0, table table=None)
code dbakonv3(path path, path path2, int ignored=0, table table=None)
code dbaseConv(path path, path path2, int ignored=0, table table=None, text ignored_symbols="", int code_mode=1, int ignored_info=0, text ignored_labels="")
code xmlsave(path infile, path outfile, int datamode=0)
code sdmxsave(path infile, path outfile, int type=0, text lang="")
code xdfsave(path infile, path outfile, int type=1, text lang="", int rounding=0, int doctype=0)
code kmlsave(path infile, path outfile, path dir)
code kmlsave2(path infile, path outfile, path dir, text symbols=SYMBOLS)
code kmlsave3(path infile, path outfile, path dir, text symbols=SYMBOLS)
code gesmes2003(path infile, path outfile, text unitvar="", text Sender="", text Receiver="", text InterchangeMsg="", text MessageRef="", text DSN="", text Datastruct="", text Conf="", text ObsStatus="", text Include="D", text CodeListOrg="", int Test=0, path CodeFile=None, int ARRvar=0, text listA="", text listB="", text ContactName="missing", text ContactEmail="missing")
code arekonv(path path, path path2, int oem=0, text series_file="", int keep_unnamed=0)
code nsdkonv(path infile, path outfile, text defaultname="", table table=None)
code lotkonv(path path, path path2, table table=None, textbuf symbols=SYMBOLS)
"""

VTOPS = """
one VelInit()
one VelGFree()
code utgraph(path path, path path2, text decimal_point=".", text text_delimiter="", int iteration=0, text text=SYMBOLS, int rounding=0, int note_place=0)
code pivot(path in_path, path out_path, int alt=1, text unit_var="", path texts="")
code variableorder(path in_path, path out_path, text stub_order, text head_order, text unit_var="", text texts="")
code varorder(path in_path, path out_path, listbox stub_list, listbox head_list, int step, text unit_var="", text texts="")
code valueorder(path in_path, path out_path, text value_list, text variable, text unit_var="", text texts="")
code calcvalues(path in_path, path out_path, text texts, int operation, text inclusion, text sel1="", text sel2="", text sel3="", text sel4="", text sel5="", text sel6="", text sel7="", text sel8="", text sel9="", text sel10="", text sel11="", text sel12="", text sel13="", text sel14="", text sel15="", text sel16="", int order=0, text new_value="", text beta_value="", text constant="")
code getvalue(path in_path, path out_path="", path value_set_dir="", path label_path="", int step=0, listbox list1=None, listbox list2=None, listbox list3=None, listbox list4=None, listbox list5=None, listbox list6=None, listbox list7=None, listbox list8=None, listbox list9=None, listbox list10=None, listbox list11=None, listbox list12=None, listbox list13=None, listbox list14=None, listbox list15=None, listbox list16=None, textbuf status_out="", int secrecy=0, text language="")
code srvalues(path out_path, int step, listbox list_a=None, listbox list_b=None, listbox list2=None, listbox list3=None, listbox list4=None, listbox list5=None, listbox list6=None, listbox list7=None, listbox list8=None, listbox list9=None, listbox list10=None, listbox list11=None, listbox list12=None, listbox list13=None, listbox list14=None, listbox list15=None, listbox list16=None, text name="", int secrecy=0)
code getcodes(path in_path, listbox list1=None, listbox list2=None, listbox list3=None, listbox list4=None, listbox list5=None, listbox list6=None, listbox list7=None, listbox list8=None, listbox list9=None, listbox list10=None, listbox list11=None, listbox list12=None, listbox list13=None, listbox list14=None, listbox list15=None, listbox list16=None)
code zoomvar(text variable, textbuf text_out="")
code chgtxt(path in_path, path out_path, textbuf contents_io, textbuf units_io, listbox list, text variable="", int step=1, text unit_var="", path texts="")
code chgtxtcontents(path in_path, path out_path, text addition, path texts="")
code ctvalues2003(path in_path, path value_set_dir, path out_path, int step, textbuf set_io="", text options="", textbuf domain_out="")
code vardelete(path in_path, path out_path, listbox list, text variable, int step, text unit_var="", path texts="", int remove=0)
code chgdec(path in_path, path out_path, textbuf decimals_io, listbox value_list_box, listbox precision_list_box, text variable, int step, text unit_var="")
code tabsel(path table_dir, path in_path, path out_path, int type, listbox list, int option, path label_path="", text name="", text text1="", text text2="", text text3="", text constant="", text inclusion="m")
code valorder(path in_path, path out_path, listbox list_a, listbox list_b, text variable, int step, text unit_var, path texts, listbox code_list)
code bvalue(path in_path, path out_path, path texts, int step, int operation, text inclusion, listbox list1, listbox list2, listbox list3, listbox list4, listbox list5, listbox list6, listbox list7, listbox list8, listbox list9, listbox list10, listbox list11, listbox list12, listbox list13, listbox list14, listbox list15, listbox list16, int order=0, text new_value="", text beta_value="", text constant="")
code utbild(path in_path, path grid_path, path footnote_path, textbuf summary_out="", path label_path="", path notes_out_path="", text decimal_point=".", textbuf info_out="", path graph_path="*", text text_delimiter="", int label_repeat=1, int suppress=0, int max_columns=0, int max_lines=0, int double_column=0, path graph_path2="*", int precision=-1, int rounding=0, int note_place=0)
code utbild2(path in_path, path grid_path, path footnote_path, textbuf summary_out="", path label_path="", text decimal_point=".", path graph_path="*", text text_delimiter="", int label_repeat=1, int suppress=0, int max_columns=0, int max_lines=0, int double_column=0, path graph_path2="*", int precision=-1, int rounding=0, int note_place=0)
"""

# The exports behind veltra.read_table (a table handed out piece by piece);
# they have no Python function of their own.
TABLE_API = (
    "vt_table_open", "vt_table_close", "vt_table_variables", "vt_table_stub_variables", "vt_table_values",
    "vt_table_variable_name", "vt_table_value_text", "vt_table_value_code", "vt_table_text",
    "vt_table_decimals", "vt_table_cell_count", "vt_table_cells",
)
