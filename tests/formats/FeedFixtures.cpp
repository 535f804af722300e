#include "FeedFixtures.h"

namespace corvane::test::feed
{

namespace
{
QByteArray time(int second)
{
    return QByteArray::number(kBaseTime + second);
}
} // namespace

QByteArray acarsdecDownlink(int second, const QByteArray &tail)
{
    return R"({"timestamp":)" + time(second) +
           R"(.482,"station_id":"EGLL-ACARS","channel":1,"freq":131.725,"level":-18.5,)"
           R"("error":0,"mode":"2","label":"H1","block_id":"4","ack":false,"tail":")" +
           tail +
           R"(","flight":"BA0123 ","msgno":"M01A","text":"POS N51 W001\r\nFL350",)"
           R"("end":true,"assstat":"complete","app":{"name":"acarsdec","ver":"3.7"}})";
}

QByteArray acarsdecUplink()
{
    return R"({"timestamp":1717243205.1,"station_id":"EGLL-ACARS","channel":1,"freq":131.725,)"
           R"("level":-9,"error":0,"mode":"2","label":"_d","block_id":"A","ack":"4",)"
           R"("tail":".G-EUUA","msgno":"S12A"})";
}

QByteArray acarsdecInProgress()
{
    return R"({"timestamp":1717243206,"freq":131.725,"mode":"2","label":"H1","block_id":"5",)"
           R"("tail":".G-EUUA","flight":"BA0123","msgno":"M02A","text":"PART ONE",)"
           R"("end":false,"assstat":"in progress"})";
}

QByteArray acarsdecSquitter()
{
    return R"({"timestamp":1717243207,"freq":131.725,"mode":"2","label":"SQ",)"
           R"("text":"02XAEGLL"})";
}

QByteArray acarsdecNoLabel()
{
    return R"({"timestamp":1717243208,"freq":131.725,"flight":"BA0123","depa":"EGLL",)"
           R"("dsta":"KJFK"})";
}

QByteArray vdlm2decDownlink()
{
    return R"({"timestamp":1717243210.75,"station_id":"LFPG-VDL","channel":2,"freq":136.975,)"
           R"("icao":4497530,"toaddr":1090159,"level":-31.2,"error":0,"mode":"2",)"
           R"("label":"Q0","block_id":"7","ack":false,"tail":"  .D-AIZZ ","flight":"LH0400",)"
           R"("msgno":"M77A"})";
}

QByteArray vdlm2decUplink()
{
    return R"({"timestamp":1717243211,"station_id":"LFPG-VDL","channel":2,"freq":136.975,)"
           R"("fromaddr":1090159,"level":-12,"mode":"2","label":"H1","block_id":"7",)"
           R"("tail":".D-AIZZ","msgno":"S01A","text":"CLEARED"})";
}

QByteArray dumpvdl2Acars(int second, bool uplink, const QByteArray &more, const QByteArray &err,
                         const QByteArray &reg)
{
    const QByteArray src = uplink
                               ? R"({"addr":"10916D","type":"Ground station","status":"On ground"})"
                               : R"({"addr":"4CA2D6","type":"Aircraft","status":"Airborne"})";
    const QByteArray dst = uplink ? R"({"addr":"4CA2D6","type":"Aircraft"})"
                                  : R"({"addr":"10916D","type":"Ground station"})";
    return R"({"vdl2":{"app":{"name":"dumpvdl2","ver":"2.3.0"},"station":"EGLL-1",)"
           R"("t":{"sec":)" +
           time(second) +
           R"(,"usec":512000},"freq":136975000,"burst_len_octets":48,"hdr_bits_fixed":0,)"
           R"("octets_corrected_by_fec":0,"idx":0,"sig_level":-21.4,"noise_level":-47.9,)"
           R"("freq_skew":0.8,"avlc":{"src":)" +
           src + R"(,"dst":)" + dst +
           R"(,"cr":"Command","frame_type":"I","rseq":3,"sseq":5,"poll":false,)"
           R"("acars":{"err":)" +
           err + R"(,"crc_ok":true,"more":)" + more + R"(,"reg":")" + reg +
           R"(","mode":"2","label":"H1","blk_id":")" + (uplink ? "A" : "5") +
           R"(","ack":"!","flight":"FR1234","msg_num":"D06","msg_num_seq":"A",)"
           R"("msg_text":"#DFB/PAYLOAD \u00e9\r\nLINE 2"}}}})";
}

QByteArray dumpvdl2Xid()
{
    return R"({"vdl2":{"app":{"name":"dumpvdl2","ver":"2.3.0"},"station":"EGLL-1",)"
           R"("t":{"sec":1717243201,"usec":0},"freq":136975000,"sig_level":-30.0,)"
           R"("avlc":{"src":{"addr":"10916D","type":"Ground station"},)"
           R"("dst":{"addr":"FFFFFF","type":"All stations"},"cr":"Response",)"
           R"("frame_type":"U","cmd":"XID","pf":false,"xid":{"type":"GSIF",)"
           R"("type_descr":"Ground station information frame","vdl_params":[]}}}})";
}

QByteArray dumphfdlAcars(bool uplink)
{
    const QByteArray src = uplink ? R"({"type":"Ground station","id":2,"name":"Shannon"})"
                                  : R"({"type":"Aircraft","id":12,"ac_info":{"icao":"406A93"}})";
    return R"({"hfdl":{"app":{"name":"dumphfdl","ver":"1.6.1"},"station":"EINN-HF",)"
           R"("t":{"sec":1717243220,"usec":12},"freq":8977000,"bit_rate":1800,)"
           R"("sig_level":-28.7,"noise_level":-50.1,"freq_skew":-1.2,"slot":"S",)"
           R"("lpdu":{"err":false,"src":)" +
           src +
           R"(,"dst":{"type":"Ground station","id":2},)"
           R"("type":{"id":13,"name":"Long Unnumbered Data"},"hfnpdu":{"err":false,)"
           R"("type":{"id":255,"name":"Enveloped data"},"acars":{"err":false,"crc_ok":true,)"
           R"("more":false,"reg":".G-VIIA","mode":"2","label":"H1","blk_id":")" +
           (uplink ? "B" : "3") +
           R"(","ack":"!","flight":"BA0117","msg_num":"F58","msg_num_seq":"A",)"
           R"("msg_text":"HF TEXT"}}}}})";
}

QByteArray dumphfdlPosition(double lat, double lon, const QByteArray &flightId)
{
    return R"({"hfdl":{"app":{"name":"dumphfdl","ver":"1.6.1"},"station":"EINN-HF",)"
           R"("t":{"sec":1717243230,"usec":0},"freq":11384000,"sig_level":-33.0,)"
           R"("lpdu":{"err":false,"src":{"type":"Aircraft","id":12},)"
           R"("dst":{"type":"Ground station","id":2},"type":{"id":13,"name":"Long Unnumbered Data"},)"
           R"("hfnpdu":{"err":false,"type":{"id":209,"name":"Performance data"},"version":1,)"
           R"("flight_id":")" +
           flightId + R"(","pos":{"lat":)" + QByteArray::number(lat) + R"(,"lon":)" +
           QByteArray::number(lon) + R"(},"time":{"hour":12,"min":0,"sec":30}}}}})";
}

QByteArray dumphfdlSquitter()
{
    return R"({"hfdl":{"app":{"name":"dumphfdl","ver":"1.6.1"},"station":"EINN-HF",)"
           R"("t":{"sec":1717243240,"usec":0},"freq":8977000,"sig_level":-20.0,)"
           R"("spdu":{"err":false,"src":{"type":"Ground station","id":2},"spdu_version":0,)"
           R"("rls":false,"iso":false,"gs_status":[]}}})";
}

} // namespace corvane::test::feed
