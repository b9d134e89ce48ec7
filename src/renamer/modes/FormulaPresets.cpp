#include "renamer/modes/FormulaPresets.h"

#include <iterator>

namespace kq {

const char16_t* const kFormulaPickerTitle = u"常用公式";

namespace {

constexpr CExpressionPreset kPresets[] = {
    {u"Upper(Fname())", u"将文件名称及后缀转为大写，注意不要选择“保持文件后缀不变”"},
    {u"Lower(Fname())", u"将文件名称及后缀转为小写，注意不要选择“保持文件后缀不变”"},
    {u"Upper(Ftitle())", u"将文件名称转为大写，后缀不变，注意不要选择“保持文件后缀不变”"},
    {u"Lower(Ftitle())", u"将文件名称转为小写，后缀不变，注意不要选择“保持文件后缀不变”"},
    {u"Upper(Ftitle())&\".\"&Lower(Fext())", u"将文件名称转为大写，后缀转为小写，注意不要选择“保持文件后缀不变”"},
    {u"Fname()", u"和原文件名称一致，注意不要选择“保持文件后缀不变”"},
    {u"Left(Fname(),5)", u"取原文件名称的前5个字符，注意选择“保持文件后缀不变”"},
    {u"StrIndex(Index(),2)&Fname()", u"在原文件名称前加序号，序号长度为2，注意选择“保持文件后缀不变”"},
    {u"\"第\"&China(Index(),0)&\"文件\"", u"文件名称采用中文数字表示，注意选择“保持文件后缀不变”"},
    {u"lpath()&\"_\"&ftitle()", u"文件名称前加目录名称，注意选择“保持文件后缀不变”"},
    {u"\"Part \"&index()&\" of \"&count()", u"文件共几部分第几部分，注意选择“保持文件后缀不变”"},
    {u"if(find(ftitle(),\" \",1)<1,ftitle(),delete(ftitle(),1,find(ftitle(),\" \",1)))",
     u"删除文件名称空格前所有字符，注意选择“保持文件后缀不变”"},
    {u"StrIndex(Index(),3)&\" \"&if(find(ftitle(),\" \",1)<1,ftitle(),delete(ftitle(),1,find(ftitle(),\" \",1)))",
     u"删除文件名称空格前所有字符，然后增加编号，注意选择“保持文件后缀不变”"},
    {u"StrIndex(Index(),3)&\"-\"&triml(triml2(if(first(ftitle(),2)<0,ftitle(),delete(ftitle(),1,first(ftitle(),2)-1)),\"-\"))",
     u"删除文件名称前面已有序号，然后增加编号，注意选择“保持文件后缀不变”"},
    {u"if(exact(fext(),\"pdf\"),\"文档\"&ftitle(),\"图纸\"&ftitle())",
     u"后缀为pdf的文件名称前加“文档”，否则文件名称前加“图纸”"},
    {u"if(exifdate()>0,timeformat(exifdate(),\"%Y%m%d_%H%M%S\"),ftitle())",
     u"照片按拍摄时间命名（没有拍摄时间的保留原名称），注意选择“保持文件后缀不变”"},
    {u"mediatag(\"artist\")&\" - \"&mediatag(\"title\")", u"音乐按“艺术家 - 标题”命名，注意选择“保持文件后缀不变”"},
    {u"left(filehash(\"sha256\"),12)", u"按文件内容的SHA-256摘要前12位命名，注意选择“保持文件后缀不变”"},
};
static_assert(std::size(kPresets) == kFormulaPresetCount);

}  // namespace

std::span<const CExpressionPreset> FormulaPresets() { return kPresets; }

}  // namespace kq
