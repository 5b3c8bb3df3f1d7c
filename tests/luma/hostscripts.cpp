#include "hostscripts.h"

namespace {

std::string Num(int theValue)
{
    return std::to_string(theValue);
}

std::string ProfileElement(const HostShot& theShot)
{
    return "<profile description=\"glintweave test\" width=\"" + Num(theShot.width) + "\" height=\"" +
           Num(theShot.height) +
           "\" progressive=\"1\" sample_aspect_num=\"1\" sample_aspect_den=\"1\" display_aspect_num=\"" +
           Num(theShot.width) + "\" display_aspect_den=\"" + Num(theShot.height) +
           "\" frame_rate_num=\"25\" frame_rate_den=\"1\" colorspace=\"709\"/>\n";
}

std::string Property(const std::string& theName, const std::string& theValue)
{
    return "<property name=\"" + theName + "\">" + theValue + "</property>";
}

std::string Clip(const std::string& theElement, const std::string& theId, const std::string& theFile, int theLength)
{
    return "<" + theElement + " id=\"" + theId + "\" in=\"0\" out=\"" + Num(theLength - 1) + "\">" +
           Property("length", Num(theLength)) + Property("resource", theFile) +
           Property("mlt_service", "avformat-novalidate") + "</" + theElement + ">\n";
}

const char* const cConsumer = " -consumer avformat:out.mkv vcodec=ffv1 pix_fmt=yuv444p an=1 real_time=-1";

} // namespace

std::string ProfileFile(const HostShot& theShot)
{
    return "description=glintweave test\nframe_rate_num=25\nframe_rate_den=1\nwidth=" + Num(theShot.width) +
           "\nheight=" + Num(theShot.height) +
           "\nprogressive=1\nsample_aspect_num=1\nsample_aspect_den=1\n"
           "display_aspect_num=" +
           Num(theShot.width) + "\ndisplay_aspect_den=" + Num(theShot.height) + "\ncolorspace=709\n";
}

std::string MeltCommand(const HostShot& theShot)
{
    return "melt -silent -quiet -profile ./profile a.mkv in=0 out=" + Num(theShot.length - 1) +
           " b.mkv in=0 out=" + Num(theShot.length - 1) + " -mix " + Num(theShot.frames) + " -mixer luma resource='" +
           theShot.map + "' softness=0" + cConsumer;
}

std::string MeltProjectCommand(const std::string& theProject)
{
    return "melt -silent -quiet -profile ./profile '" + theProject + "'" + cConsumer;
}

std::string ShotcutProject(const HostShot& theShot)
{
    const int theLength = theShot.length, theFrames = theShot.frames, theEnd = 2 * theLength - theFrames - 1;
    std::string theXml =
        "<?xml version=\"1.0\" standalone=\"no\"?>\n"
        "<mlt LC_NUMERIC=\"C\" version=\"7.12.0\" title=\"Shotcut version 22.12.21\" producer=\"main_bin\">\n" +
        ProfileElement(theShot) + "<playlist id=\"main_bin\">" + Property("xml_retain", "1") + "</playlist>\n" +
        "<producer id=\"black\" in=\"0\" out=\"" + Num(theEnd) + "\">" + Property("length", Num(theEnd + 1)) +
        Property("eof", "pause") + Property("resource", "0") + Property("aspect_ratio", "1") +
        Property("mlt_service", "color") + Property("mlt_image_format", "rgba") + Property("set.test_audio", "0") +
        "</producer>\n" + "<playlist id=\"background\"><entry producer=\"black\" in=\"0\" out=\"" + Num(theEnd) +
        "\"/></playlist>\n" + Clip("chain", "chain0", "a.mkv", theLength) +
        Clip("chain", "chain1", "b.mkv", theLength) + Clip("chain", "chain2", "a.mkv", theLength) +
        Clip("chain", "chain3", "b.mkv", theLength);
    // The transition's own tractor: the tail of A over the head of B.
    theXml += "<tractor id=\"tractor0\" in=\"0\" out=\"" + Num(theFrames - 1) + "\">" +
              Property("shotcut:transition", "lumaMix") + "\n<track producer=\"chain2\" in=\"" +
              Num(theLength - theFrames) + "\" out=\"" + Num(theLength - 1) + "\"/>\n" +
              "<track producer=\"chain3\" in=\"0\" out=\"" + Num(theFrames - 1) + "\"/>\n" +
              "<transition id=\"transition0\" out=\"" + Num(theFrames - 1) + "\">" + Property("a_track", "0") +
              Property("b_track", "1") + Property("factory", "loader") + Property("mlt_service", "luma") +
              Property("resource", theShot.map) + Property("softness", "0") + Property("progressive", "1") +
              Property("alpha_over", "1") + Property("fix_background_alpha", "1") + "</transition>\n" +
              "<transition id=\"transition1\" out=\"" + Num(theFrames - 1) + "\">" + Property("a_track", "0") +
              Property("b_track", "1") + Property("start", "-1") + Property("accepts_blanks", "1") +
              Property("mlt_service", "mix") + "</transition>\n</tractor>\n";
    theXml += "<playlist id=\"playlist0\">" + Property("shotcut:video", "1") + Property("shotcut:name", "V1");
    if (theLength > theFrames)
        theXml += "<entry producer=\"chain0\" in=\"0\" out=\"" + Num(theLength - theFrames - 1) + "\"/>";
    theXml += "<entry producer=\"tractor0\" in=\"0\" out=\"" + Num(theFrames - 1) + "\"/>";
    if (theLength > theFrames)
        theXml += "<entry producer=\"chain1\" in=\"" + Num(theFrames) + "\" out=\"" + Num(theLength - 1) + "\"/>";
    theXml += "</playlist>\n<tractor id=\"tractor1\" title=\"Shotcut version 22.12.21\" in=\"0\" out=\"" + Num(theEnd) +
              "\">" + Property("shotcut", "1") + "<track producer=\"background\"/><track producer=\"playlist0\"/>" +
              "<transition id=\"transition2\">" + Property("a_track", "0") + Property("b_track", "1") +
              Property("mlt_service", "mix") + Property("always_active", "1") + Property("sum", "1") + "</transition>" +
              "<transition id=\"transition3\">" + Property("a_track", "0") + Property("b_track", "1") +
              Property("version", "0.9") + Property("mlt_service", "frei0r.cairoblend") + Property("threads", "0") +
              Property("disable", "1") + "</transition>\n</tractor>\n</mlt>\n";
    return theXml;
}

std::string KdenliveProject(const HostShot& theShot)
{
    const int theLength = theShot.length, theFrames = theShot.frames, theEnd = 2 * theLength - theFrames - 1;
    std::string theXml = "<?xml version='1.0' encoding='utf-8'?>\n<mlt LC_NUMERIC=\"C\" producer=\"main_bin\" "
                         "version=\"7.12.0\" root=\".\">\n" +
                         ProfileElement(theShot) + "<producer id=\"black_track\" in=\"0\" out=\"" + Num(theEnd) +
                         "\">" + Property("length", Num(theEnd + 1)) + Property("eof", "continue") +
                         Property("resource", "black") + Property("aspect_ratio", "1") +
                         Property("mlt_service", "color") + Property("kdenlive:playlistid", "black_track") +
                         Property("mlt_image_format", "rgba") + Property("set.test_audio", "0") + "</producer>\n" +
                         Clip("producer", "producer0", "a.mkv", theLength) +
                         Clip("producer", "producer1", "b.mkv", theLength);
    // Each clip on a video track of its own, B on the upper one, starting where the composition does.
    theXml += "<playlist id=\"playlist0\">" + Property("kdenlive:track_name", "V1") +
              "<entry producer=\"producer0\" in=\"0\" out=\"" + Num(theLength - 1) +
              "\"/></playlist>\n"
              "<playlist id=\"playlist1\"/>\n<tractor id=\"tractor0\" in=\"0\" out=\"" +
              Num(theLength - 1) + "\">" +
              "<track hide=\"audio\" producer=\"playlist0\"/><track hide=\"audio\" producer=\"playlist1\"/></tractor>\n"
              "<playlist id=\"playlist2\">" +
              Property("kdenlive:track_name", "V2");
    if (theLength > theFrames) theXml += "<blank length=\"" + Num(theLength - theFrames) + "\"/>";
    theXml +=
        "<entry producer=\"producer1\" in=\"0\" out=\"" + Num(theLength - 1) +
        "\"/></playlist>\n"
        "<playlist id=\"playlist3\"/>\n<tractor id=\"tractor1\" in=\"0\" out=\"" +
        Num(theEnd) + "\">" +
        "<track hide=\"audio\" producer=\"playlist2\"/><track hide=\"audio\" producer=\"playlist3\"/></tractor>\n";
    theXml += "<tractor id=\"tractor2\" global_feed=\"1\" in=\"0\" out=\"" + Num(theEnd) + "\">" +
              Property("kdenlive:projectTractor", "1") +
              "<track producer=\"black_track\"/><track producer=\"tractor0\"/><track producer=\"tractor1\"/>\n"
              "<transition id=\"transition0\" in=\"" +
              Num(theLength - theFrames) + "\" out=\"" + Num(theLength - 1) + "\">" + Property("a_track", "1") +
              Property("b_track", "2") + Property("factory", "loader") + Property("resource", theShot.map) +
              Property("softness", "0") + Property("invert", "0") + Property("reverse", "0") +
              Property("mlt_service", "luma") + Property("kdenlive_id", "luma") + Property("kdenlive:collapsed", "0") +
              "</transition>\n";
    for (int theTrack : {1, 2})
        theXml += "<transition id=\"internal" + Num(theTrack) + "\">" + Property("a_track", "0") +
                  Property("b_track", Num(theTrack)) + Property("compositing", "0") + Property("distort", "0") +
                  Property("rotate_center", "0") + Property("mlt_service", "qtblend") +
                  Property("internal_added", "237") + Property("always_active", "1") + "</transition>\n";
    theXml += "</tractor>\n</mlt>\n";
    return theXml;
}

std::string FlowbladeProject(const HostShot& theShot)
{
    const int theLength = theShot.length, theFrames = theShot.frames, theEnd = 2 * theLength - theFrames - 1;
    // Track 0 is Flowblade's black background; V1 holds A, V2 holds B from the overlap on.
    std::string theXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<mlt LC_NUMERIC=\"C\" version=\"7.12.0\" "
                         "title=\"Flowblade\" root=\".\">\n" +
                         ProfileElement(theShot) + "<producer id=\"producer0\" in=\"0\" out=\"" + Num(theEnd) +
                         "\">" + Property("length", Num(theEnd + 1)) + Property("eof", "pause") +
                         Property("resource", "#000000ff") + Property("mlt_service", "colour") + "</producer>\n" +
                         "<playlist id=\"playlist0\"><entry producer=\"producer0\" in=\"0\" out=\"" + Num(theEnd) +
                         "\"/></playlist>\n" + Clip("producer", "producer1", "a.mkv", theLength) +
                         "<playlist id=\"playlist1\"><entry producer=\"producer1\" in=\"0\" out=\"" +
                         Num(theLength - 1) + "\"/></playlist>\n" + Clip("producer", "producer2", "b.mkv", theLength) +
                         "<playlist id=\"playlist2\">";
    if (theLength > theFrames) theXml += "<blank length=\"" + Num(theLength - theFrames) + "\"/>";
    theXml += "<entry producer=\"producer2\" in=\"0\" out=\"" + Num(theLength - 1) + "\"/></playlist>\n" +
              "<tractor id=\"tractor0\" in=\"0\" out=\"" + Num(theEnd) +
              "\"><multitrack><track producer=\"playlist0\"/><track producer=\"playlist1\"/>"
              "<track producer=\"playlist2\"/></multitrack>\n"
              "<transition id=\"transition0\" in=\"" +
              Num(theLength - theFrames) + "\" out=\"" + Num(theLength - 1) + "\">" + Property("a_track", "1") +
              Property("b_track", "2") + Property("mlt_service", "luma") + Property("force_track", "0") +
              Property("resource", theShot.map) + Property("invert", "0") + Property("softness", "0.0") +
              "</transition>\n</tractor>\n</mlt>\n";
    return theXml;
}

std::string FfmpegCommand(const HostShot& theShot)
{
    const std::string theFrames = Num(theShot.frames), theStart = Num(theShot.length - theShot.frames);
    const std::string theSize = Num(theShot.width) + "x" + Num(theShot.height);
    return "ffmpeg -v error -y -i a.mkv -i b.mkv -framerate 25 -loop 1 -i '" + theShot.map +
           "' -filter_complex \""
           "[0:v]format=yuv444p16le,split[a0][a1];"
           "[a0]trim=end_frame=" +
           theStart +
           ",setpts=PTS-STARTPTS[head];"
           "[a1]trim=start_frame=" +
           theStart +
           ",setpts=PTS-STARTPTS[old];"
           "[1:v]format=yuv444p16le,split[b0][b1];"
           "[b0]trim=end_frame=" +
           theFrames +
           ",setpts=PTS-STARTPTS[new];"
           "[b1]trim=start_frame=" +
           theFrames +
           ",setpts=PTS-STARTPTS[tail];"
           "[2:v]format=gray16le,trim=end_frame=" +
           theFrames +
           ",setpts=PTS-STARTPTS,split=3[m0][m1][m2];"
           "[m0][m1][m2]mergeplanes=0x001020:yuv444p16le[map];"
           "color=black:s=" +
           theSize + ":r=25,format=gray16le,trim=end_frame=" + theFrames + ",geq=lum='min(65535\\,trunc(65536*N/" +
           theFrames +
           "))',split=3[l0][l1][l2];"
           "[l0][l1][l2]mergeplanes=0x001020:yuv444p16le[level];"
           "[level][map][old][new]threshold[mixed];"
           "[head][mixed][tail]concat=n=3\" -c:v ffv1 -pix_fmt yuv444p out.mkv";
}
