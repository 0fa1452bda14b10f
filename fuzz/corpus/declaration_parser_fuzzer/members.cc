class Motor : public Device {
public:
  Motor() : speed_(0) { }
  ~Motor() { }
  int speed() const { return speed_; }
private:
  int speed_ = 3;
};
void Motor::set(int s = 2) { speed_ = s; }
